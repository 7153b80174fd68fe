// Token cutting and decimal conversion shared by the command line, the answer
// printer and the record validators.
#include "src/text/text.hpp"

#include <cstring>
#include <limits>

namespace vantrel::text {

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

bool isCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads an optional sign and the digits after it. The magnitude stops growing
// once it has passed the 32-bit range, so any number of digits is safe.
const char* readSignedMagnitude(const char* p, bool& negative, std::int64_t& magnitude) {
  negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  magnitude = 0;
  for (; isDigit(*p); ++p) {
    if (magnitude <= kInt32Max + 1) {
      magnitude = magnitude * 10 + (*p - '0');
    }
  }
  return p;
}

}  // namespace

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool contains(const char* text, char c) {
  return std::strchr(text, c) != nullptr;
}

char* cutToken(char*& cursor, char delimiter) {
  while (*cursor == delimiter) {
    ++cursor;
  }
  if (*cursor == '\0') {
    return nullptr;
  }
  char* token = cursor;
  while (*cursor != '\0' && *cursor != delimiter) {
    ++cursor;
  }
  if (*cursor == delimiter) {
    *cursor++ = '\0';
  }
  return token;
}

bool convertInt32(const char* text, std::int32_t& value) {
  while (*text == ' ') {
    ++text;
  }
  bool negative = false;
  std::int64_t magnitude = 0;
  readSignedMagnitude(text, negative, magnitude);
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue < kInt32Min || signedValue > kInt32Max) {
    return false;
  }
  value = static_cast<std::int32_t>(signedValue);
  return true;
}

std::int32_t leadingInt32(const char* text) {
  while (isCSpace(*text)) {
    ++text;
  }
  bool negative = false;
  std::int64_t magnitude = 0;
  readSignedMagnitude(text, negative, magnitude);
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue < kInt32Min) {
    return static_cast<std::int32_t>(kInt32Min);
  }
  if (signedValue > kInt32Max) {
    return static_cast<std::int32_t>(kInt32Max);
  }
  return static_cast<std::int32_t>(signedValue);
}

}  // namespace vantrel::text
