// The record validators: verifyData tests a tab-separated record against a
// pattern of field type letters; strip_nl ends a text at its first newline.
#include <cctype>
#include <cstring>

#include "src/text/text.hpp"
#include "src/vantrel.hpp"

namespace vantrel {

namespace {

bool isTypeLetter(char c) {
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == 'i' || lower == 'f' || lower == 's';
}

bool fieldPasses(char typeLetter, const char* field) {
  switch (std::tolower(static_cast<unsigned char>(typeLetter))) {
    case 'i':
      return isInt(field) == 1;
    case 'f':
      return isFloat(field) == 1;
    default:
      return true;
  }
}

}  // namespace

std::int32_t verifyData(char* record, const char* pattern) {
  char noRecord[] = "";
  char* cursor = record != nullptr ? record : noRecord;
  strip_nl(cursor);
  if (pattern == nullptr) {
    return 1;
  }
  for (const char* instruction = pattern; *instruction != '\0'; ++instruction) {
    if (!isTypeLetter(*instruction)) {
      continue;
    }
    const char* field = text::cutToken(cursor, '\t');
    if (field == nullptr || !fieldPasses(*instruction, field)) {
      return 0;
    }
  }
  return 1;
}

// Every newline, not only the first, becomes a terminator.
void strip_nl(char* text) {
  if (text == nullptr) {
    return;
  }
  const std::size_t length = std::strlen(text);
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] == '\n') {
      text[i] = '\0';
    }
  }
}

}  // namespace vantrel
