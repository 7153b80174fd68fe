// Composes the query text from the validated query integers.
#include <cstdio>

#include "src/protocol/protocol.hpp"

namespace vantrel::protocol {

void composeQueryText(std::int32_t code, std::int32_t cubesize, std::int32_t x, std::int32_t y,
                      std::int32_t z, TextBuffer& query) {
  query.fill('\0');
  if (code == kCubeCode) {
    std::snprintf(query.data(), query.size(), "%d:%d,%d,%d,%d", code, cubesize, x, y, z);
  } else {
    std::snprintf(query.data(), query.size(), "%d,%d,%d,%d", code, x, y, z);
  }
}

}  // namespace vantrel::protocol
