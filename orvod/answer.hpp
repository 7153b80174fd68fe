// Composes the reply to a request: Code 1 parcel fields, Code 2 tissue fields, Code 3 counts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "orvod/labeller.hpp"
#include "orvod/request.hpp"

namespace orvod {

// The client keeps at most this many characters of a reply and at most this many cube pairs.
inline constexpr std::size_t kMaxReplyLength = vantrel::protocol::kReplyLimit;
inline constexpr std::size_t kMaxCubePairs = 128;

struct TextCount {
  std::string text;
  int count = 0;
};

// "count:text:" pairs, the greatest count first and equal counts in bytewise order of text.
// Only whole pairs within the client's limits are kept, so a cube too varied for them still
// reads as a well-formed answer of its most frequent labels.
std::string formatCubeCounts(std::vector<TextCount> counts);

std::string answerRequest(const Labeller& labeller, const Request& request);

// Parses what a client sent and answers it, or says in a "* " message why it cannot.
std::string answerBlock(const Labeller& labeller, std::string_view bytes);

}  // namespace orvod
