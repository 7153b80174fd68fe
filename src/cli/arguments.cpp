// The command-line arguments joined into the parameter string, and its blanks taken out.
#include "src/cli/arguments.hpp"
#include "src/vantrel.hpp"

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

// Copies at most kMaxTextLength characters, so the output always keeps its
// terminator, however long the input is.
void NULLSpace(const char* in, TextBuffer& out) {
  out.fill('\0');
  if (in == nullptr) {
    return;
  }
  std::size_t length = 0;
  for (const char* p = in; *p != '\0' && length < kMaxTextLength; ++p) {
    if (*p != ' ') {
      out[length++] = *p;
    }
  }
}

}  // namespace vantrel
