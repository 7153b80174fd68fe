// NULLSpace: copies a text without its blanks.
#include "vantrel.hpp"

namespace vantrel {

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
