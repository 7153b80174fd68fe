// isFloat: the decimal-number syntax test of record fields.
#include "cli/tokens.hpp"
#include "vantrel.hpp"

namespace vantrel {

// Reads the text in place: no copy means no length limit.
std::int32_t isFloat(const char* text) {
  if (text == nullptr) {
    return 0;
  }
  const char* p = text;
  while (*p == ' ') {
    ++p;
  }
  if (*p != '+' && *p != '-' && *p != '.' && !detail::isDigit(*p)) {
    return 0;
  }
  bool seenPoint = *p == '.';
  for (++p; *p != '\0'; ++p) {
    if (*p == '.' && !seenPoint) {
      seenPoint = true;
    } else if (!detail::isDigit(*p)) {
      return 0;
    }
  }
  return 1;
}

}  // namespace vantrel
