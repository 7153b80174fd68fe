// isInt: the integer syntax test of command-line tokens and record fields.
#include "cli/tokens.hpp"
#include "vantrel.hpp"

namespace vantrel {

// Reads the text in place: no copy means no length limit.
std::int32_t isInt(const char* text) {
  if (text == nullptr) {
    return 0;
  }
  const char* p = text;
  while (*p == ' ') {
    ++p;
  }
  if (*p != '+' && *p != '-' && !detail::isDigit(*p)) {
    return 0;
  }
  for (++p; *p != '\0'; ++p) {
    if (!detail::isDigit(*p)) {
      return 0;
    }
  }
  return 1;
}

}  // namespace vantrel
