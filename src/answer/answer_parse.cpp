// parseOrvoAnswer: the one reader of the daemon's answer texts.
#include "src/answer/answer_parse.hpp"

#include <algorithm>

#include "src/protocol/protocol.hpp"
#include "src/text/text.hpp"

namespace vantrel {

namespace {

std::int16_t pairCount(const char* field) {
  const auto wide = static_cast<std::uint32_t>(text::leadingInt32(field));
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(wide & 0xFFFFU));
}

std::uint16_t offsetIn(const TextBuffer& answer, const char* part) {
  return static_cast<std::uint16_t>(part - answer.data());
}

std::size_t countColons(const char* text) {
  std::size_t colons = 0;
  for (; *text != '\0'; ++text) {
    colons += *text == ':' ? 1 : 0;
  }
  return colons;
}

// The colons fix how many pairs are read, so a last pair without its closing
// ':' is dropped unless it is the only one. Reading stops at the first pair
// that lacks a field: no missing field is ever read, and an incomplete pair is
// not listed.
std::size_t readPairs(TextBuffer& answer, AnswerPair* pairs) {
  const std::size_t wanted =
      std::min(std::max<std::size_t>(1, countColons(answer.data()) / 2), kMaxAnswerPairs);
  char* cursor = answer.data();
  std::size_t read = 0;
  while (read < wanted) {
    const char* countField = text::cutToken(cursor, ':');
    const char* label = countField != nullptr ? text::cutToken(cursor, ':') : nullptr;
    if (label == nullptr) {
      break;
    }
    pairs[read++] = {offsetIn(answer, label), pairCount(countField)};
  }
  return read;
}

// Greatest count first; among equal counts the pair standing latest in the
// answer comes first. -1 is an ordinary count here, listed between 0 and -2.
bool listedBefore(const AnswerPair& a, const AnswerPair& b) {
  if (a.count != b.count) {
    return a.count > b.count;
  }
  return a.labelOffset > b.labelOffset;
}

std::size_t readFields(TextBuffer& answer, std::uint16_t* offsets) {
  char* cursor = answer.data();
  std::size_t read = 0;
  while (const char* field = text::cutToken(cursor, ',')) {
    offsets[read++] = offsetIn(answer, field);
  }
  return read;
}

}  // namespace

void parseOrvoAnswer(std::int32_t code, TextBuffer& answer, AnswerParse& parse) {
  answer[kMaxTextLength] = '\0';
  parse.text = answer.data();
  parse.count = 0;
  const bool pairAnswer = code == protocol::kCubeCode;
  if (answer[0] == '*') {
    parse.kind = AnswerKind::kMessage;
    // For code 3 the "*" and the character after it only mark the answer.
    parse.message = !pairAnswer ? answer.data() : answer[1] == '\0' ? "" : answer.data() + 2;
  } else if (pairAnswer) {
    parse.kind = AnswerKind::kPairs;
    parse.count = readPairs(answer, parse.pairs);
    std::sort(parse.pairs, parse.pairs + parse.count, listedBefore);
  } else {
    parse.kind = AnswerKind::kFields;
    parse.count = readFields(answer, parse.fieldOffsets);
  }
}

}  // namespace vantrel
