// The daemon's answer read the way the answer printer reads it, for any caller
// that lays it out itself: fields, count-label pairs in printed order, or a message.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/vantrel.hpp"

namespace vantrel {

// Fields are never empty, so an answer text holds at most this many; every
// pair takes at least four characters ("c:l:").
inline constexpr std::size_t kMaxAnswerFields = (kMaxTextLength + 1) / 2;
inline constexpr std::size_t kMaxAnswerPairs = (kMaxTextLength + 1) / 4;

enum class AnswerKind { kFields, kPairs, kMessage };

// A label stays where it stands in the answer text; its offset there also
// gives its order of appearance. A count is its field's leading integer cut to
// 16 bits and read back with sign, so a field of 65535 and one of -1 both count -1.
struct AnswerPair {
  std::uint16_t labelOffset;
  std::int16_t count;
};

// Everything points into the answer text, which the parse cuts in place; it
// allocates nothing. Only the entries below `count` are set.
struct AnswerParse {
  AnswerKind kind = AnswerKind::kFields;
  char* text = nullptr;           // the answer, cut at the field or pair separators
  const char* message = nullptr;  // kMessage: the text as printed
  std::size_t count = 0;          // fields or pairs read; 0 prints a bare line end
  std::uint16_t fieldOffsets[kMaxAnswerFields];
  AnswerPair pairs[kMaxAnswerPairs];

  char* field(std::size_t i) const { return text + fieldOffsets[i]; }
  char* label(std::size_t i) const { return text + pairs[i].labelOffset; }
};

// Reads `answer` as the reply to a query of `code`: a starred answer is a
// message (for code 3 without its first two characters); a code 3 answer is
// "count:label:" pairs, greatest count first and equal counts in reverse order
// of the answer; any other is comma-separated fields, empty ones dropped. A
// full buffer's last byte becomes its terminator.
void parseOrvoAnswer(std::int32_t code, TextBuffer& answer, AnswerParse& parse);

}  // namespace vantrel
