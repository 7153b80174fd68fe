// isInt and isFloat: the number syntax tests of command-line tokens and record fields.
#include "src/text/text.hpp"
#include "src/vantrel.hpp"

namespace vantrel {

namespace {

// Blanks, then a sign or a digit (or the point, where one is allowed), then
// nothing but digits and at most `pointsAllowed` points. Reads the text in
// place: no copy means no length limit.
std::int32_t hasNumberSyntax(const char* p, int pointsAllowed) {
  if (p == nullptr) {
    return 0;
  }
  while (*p == ' ') {
    ++p;
  }
  for (bool first = true; *p != '\0' || first; ++p, first = false) {
    if (*p == '.' && pointsAllowed > 0) {
      --pointsAllowed;
    } else if (!text::isDigit(*p) && !(first && (*p == '+' || *p == '-'))) {
      return 0;
    }
  }
  return 1;
}

}  // namespace

std::int32_t isInt(const char* text) {
  return hasNumberSyntax(text, 0);
}

std::int32_t isFloat(const char* text) {
  return hasNumberSyntax(text, 1);
}

}  // namespace vantrel
