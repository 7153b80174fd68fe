// strip_nl: ends a text at its first newline by turning every newline into a terminator.
#include <cstring>

#include "vantrel.hpp"

namespace vantrel {

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
