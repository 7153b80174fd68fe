// Parsing one Orvo request: "C,X,Y,Z" for codes 1 and 2, "3:S,X,Y,Z" for the cube.
#include "orvod/request.hpp"

#include <array>
#include <charconv>

namespace orvod {
namespace {

constexpr std::string_view kShape = "expected C,X,Y,Z with C 1 or 2, or 3:S,X,Y,Z";

ParsedRequest failure(std::string_view why) {
  return {std::nullopt, "* " + std::string(why)};
}

ParsedRequest malformed() {
  return failure("Malformed request: " + std::string(kShape));
}

// Signed decimal only: from_chars takes no '+', blanks or base prefixes, and reports values
// beyond 32 bits as out of range.
std::optional<std::int32_t> parseInteger(std::string_view field) {
  std::int32_t value = 0;
  const char* end = field.data() + field.size();
  auto [ptr, ec] = std::from_chars(field.data(), end, value);
  if (field.empty() || ec != std::errc() || ptr != end) {
    return std::nullopt;
  }
  return value;
}

// Splits at every comma; empty fields are kept so that "2,,1,2,3" is not read as "2,1,2,3".
template <std::size_t N>
bool splitFields(std::string_view text, std::array<std::string_view, N>& fields) {
  for (std::size_t i = 0; i < N; ++i) {
    const auto comma = text.find(',');
    if (i + 1 < N) {
      if (comma == std::string_view::npos) {
        return false;
      }
      fields[i] = text.substr(0, comma);
      text.remove_prefix(comma + 1);
    } else {
      if (comma != std::string_view::npos) {
        return false;
      }
      fields[i] = text;
    }
  }
  return true;
}

}  // namespace

ParsedRequest parseRequestText(std::string_view text) {
  if (text.empty()) {
    return failure("Empty request: " + std::string(kShape));
  }
  std::array<std::string_view, 4> fields;
  if (!splitFields(text, fields)) {
    return malformed();
  }

  Request request;
  const auto colon = fields[0].find(':');
  const std::string_view codeText = fields[0].substr(0, colon);
  const auto code = parseInteger(codeText);
  if (!code) {
    return malformed();
  }
  if (!vantrel::protocol::isCode(*code)) {
    return failure("Unknown code " + std::string(codeText) + ": " + std::string(kShape));
  }
  request.code = *code;

  if (request.code == vantrel::protocol::kCubeCode) {
    if (colon == std::string_view::npos) {
      return failure("Code 3 needs a cube size: 3:S,X,Y,Z");
    }
    const auto size = parseInteger(fields[0].substr(colon + 1));
    if (!size) {
      return malformed();
    }
    if (!vantrel::protocol::isCubesize(*size)) {
      return failure("Cube size must be 3, 5, 7, 9 or 11");
    }
    request.cubeSize = *size;
  } else if (colon != std::string_view::npos) {
    return failure("Only code 3 takes a cube size: " + std::string(kShape));
  }

  const auto x = parseInteger(fields[1]), y = parseInteger(fields[2]), z = parseInteger(fields[3]);
  if (!x || !y || !z) {
    return failure("Coordinates must be 32-bit signed integers: " + std::string(kShape));
  }
  request.x = *x;
  request.y = *y;
  request.z = *z;
  return {request, {}};
}

ParsedRequest parseRequestBlock(std::string_view bytes) {
  const auto nul = bytes.find('\0');
  if (nul == std::string_view::npos && bytes.size() >= vantrel::protocol::kBlockSize) {
    return failure("Request has no NUL within 8192 bytes");
  }
  return parseRequestText(bytes.substr(0, nul));
}

}  // namespace orvod
