// Fuzzes the answer printer: two leading bytes choose the Code and the layout,
// the rest is the answer text, up to a full buffer without a terminator.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "src/vantrel.hpp"

namespace {

std::int32_t codeFrom(std::uint8_t selector) {
  constexpr std::int32_t kCodes[] = {1, 2, 3, 3, 0, -3, 4, 2147483647};
  return kCodes[selector % std::size(kCodes)];
}

std::int32_t layoutFrom(std::uint8_t selector) {
  constexpr std::int32_t kLayouts[] = {0, 1, 2, -1};
  return kLayouts[selector % std::size(kLayouts)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  vantrel::TextBuffer answer{};
  const std::size_t textSize = std::min(size - 2, answer.size());
  std::memcpy(answer.data(), data + 2, textSize);

  char* printed = nullptr;
  std::size_t printedSize = 0;
  std::FILE* out = open_memstream(&printed, &printedSize);
  if (out == nullptr) {
    return 0;
  }
  vantrel::printOrvoAnswer(codeFrom(data[0]), 5, -1, 0, 2147483647, answer, layoutFrom(data[1]),
                           out);
  std::fclose(out);
  std::free(printed);
  return 0;
}
