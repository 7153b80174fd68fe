// Fuzzes the composition of Code 3 replies from label counts: each input line is
// a count in its first two bytes and the label text after them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "orvod/answer.hpp"

namespace {

void require(bool holds) {
  if (!holds) {
    std::abort();
  }
}

std::vector<orvod::TextCount> countsFrom(std::string_view input) {
  std::vector<orvod::TextCount> counts;
  while (!input.empty()) {
    const std::size_t end = std::min(input.find('\n'), input.size());
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(std::min(end + 1, input.size()));
    if (line.size() < 2) {
      continue;
    }
    const int count =
        static_cast<unsigned char>(line[0]) << 8 | static_cast<unsigned char>(line[1]);
    counts.push_back({std::string(line.substr(2)), count});
  }
  return counts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<orvod::TextCount> counts = countsFrom(input);
  const std::string reply = orvod::formatCubeCounts(counts);
  require(reply.size() <= orvod::kMaxReplyLength);

  // Labels hold no colon, so the reply reads back as whole "count:text:" pairs with the
  // greatest count first.
  bool colonFree = true;
  for (const orvod::TextCount& c : counts) {
    colonFree = colonFree && c.text.find(':') == std::string::npos;
  }
  if (!colonFree) {
    return 0;
  }
  std::size_t pairs = 0;
  long previous = -1;
  for (std::size_t at = 0; at < reply.size(); ++pairs) {
    const std::size_t countEnd = reply.find(':', at);
    require(countEnd != std::string::npos);
    const std::size_t textEnd = reply.find(':', countEnd + 1);
    require(textEnd != std::string::npos);
    const long count = std::strtol(reply.c_str() + at, nullptr, 10);
    require(previous < 0 || count <= previous);
    previous = count;
    at = textEnd + 1;
  }
  require(pairs <= orvod::kMaxCubePairs && pairs <= counts.size());
  return 0;
}
