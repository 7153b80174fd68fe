// concatArg: joins the command-line arguments into the parameter string.
#include "cli/arguments.hpp"
#include "vantrel.hpp"

namespace vantrel {

// Arguments beyond the buffer's room are cut off rather than overrun it;
// main rejects such a command line before it gets here.
void concatArg(int argc, const char* const argv[], TextBuffer& out) {
  out.fill('\0');
  std::size_t length = 0;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) {
      continue;
    }
    for (const char* p = argv[i]; *p != '\0' && length < kMaxTextLength; ++p) {
      out[length++] = *p;
    }
  }
}

bool argumentsFitParameterString(int argc, const char* const argv[]) {
  std::size_t length = 0;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) {
      continue;
    }
    for (const char* p = argv[i]; *p != '\0'; ++p) {
      if (++length > kMaxTextLength) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace vantrel
