// printOrvoAnswer: echoes the query and lays out the daemon's answer for the reader.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "protocol/protocol.hpp"
#include "text/text.hpp"
#include "vantrel.hpp"

namespace vantrel {

namespace {

// Every pair takes at least four characters ("c:l:"), so an answer text of
// 8191 characters holds at most 2047 of them.
constexpr std::size_t kMaxPairs = (kMaxTextLength + 1) / 4;

struct Query {
  std::int32_t code;
  std::int32_t cubesize;
  std::int32_t x;
  std::int32_t y;
  std::int32_t z;
  bool tabular;
};

// A label stays where it stands in the answer text; its offset there also
// gives its order of appearance.
struct Pair {
  std::uint16_t labelOffset;
  std::int16_t count;
};

// A count is its leading integer cut to 16 bits and read back with sign, so a
// field of 65535 and one of -1 both count -1.
std::int16_t pairCount(const char* field) {
  const auto wide = static_cast<std::uint32_t>(text::leadingInt32(field));
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(wide & 0xFFFFU));
}

bool isStarred(const TextBuffer& answer) {
  return answer[0] == '*';
}

void printStarredFieldAnswer(const Query& q, const char* text, std::FILE* out) {
  if (q.tabular) {
    std::fprintf(out, "%i\t%i\t%i\t%s\n", q.x, q.y, q.z, text);
  } else {
    std::fprintf(out, "Sent: %i,%i,%i,%i\nReturned: %s\n", q.code, q.x, q.y, q.z, text);
  }
}

// The "*" and the character after it only mark the answer; the message follows.
void printStarredPairAnswer(const Query& q, const TextBuffer& answer, std::FILE* out) {
  const char* message = answer[1] == '\0' ? "" : answer.data() + 2;
  if (q.tabular) {
    std::fprintf(out, "%i\t%i\t%i\t%s\n", q.x, q.y, q.z, message);
  } else {
    std::fprintf(out, "Sent: %i:%i,%i,%i,%i\nReturned:\n%s\n", q.code, q.cubesize, q.x, q.y, q.z,
                 message);
  }
}

// Empty fields vanish; an answer without any field prints a bare line end.
void printFieldAnswer(const Query& q, TextBuffer& answer, std::FILE* out) {
  char* cursor = answer.data();
  bool first = true;
  while (const char* field = text::cutToken(cursor, ',')) {
    if (first && q.tabular) {
      std::fprintf(out, "%i\t%i\t%i\t%s", q.x, q.y, q.z, field);
    } else if (first) {
      std::fprintf(out, "Sent: %i,%i,%i,%i\nReturned: %s", q.code, q.x, q.y, q.z, field);
    } else {
      std::fprintf(out, q.tabular ? "\t%s" : ",%s", field);
    }
    first = false;
  }
  std::fputc('\n', out);
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
std::size_t readPairs(TextBuffer& answer, Pair (&pairs)[kMaxPairs]) {
  const std::size_t wanted =
      std::min(std::max<std::size_t>(1, countColons(answer.data()) / 2), kMaxPairs);
  char* cursor = answer.data();
  std::size_t read = 0;
  while (read < wanted) {
    const char* countField = text::cutToken(cursor, ':');
    const char* label = countField != nullptr ? text::cutToken(cursor, ':') : nullptr;
    if (label == nullptr) {
      break;
    }
    pairs[read].labelOffset = static_cast<std::uint16_t>(label - answer.data());
    pairs[read].count = pairCount(countField);
    ++read;
  }
  return read;
}

// Greatest count first; among equal counts the pair standing latest in the
// answer comes first. -1 is an ordinary count here, listed between 0 and -2.
bool listedBefore(const Pair& a, const Pair& b) {
  if (a.count != b.count) {
    return a.count > b.count;
  }
  return a.labelOffset > b.labelOffset;
}

void tabsForCommas(char* label) {
  for (; *label != '\0'; ++label) {
    if (*label == ',') {
      *label = '\t';
    }
  }
}

void printPair(const Query& q, bool first, int count, char* label, std::FILE* out) {
  if (q.tabular) {
    tabsForCommas(label);
  }
  if (first && q.tabular) {
    std::fprintf(out, "%i\t%i\t%i\t%i\t%s\n", q.x, q.y, q.z, count, label);
  } else if (first) {
    std::fprintf(out, "Sent: %i:%i,%i,%i,%i\nReturned:\n%i:%s\n", q.code, q.cubesize, q.x, q.y, q.z,
                 count, label);
  } else {
    std::fprintf(out, q.tabular ? "\t\t\t%i\t%s\n" : "%i:%s\n", count, label);
  }
}

// An answer without one complete pair lists nothing and, like a field answer
// without any field, prints a bare line end with no echo of the query.
void printPairAnswer(const Query& q, TextBuffer& answer, std::FILE* out) {
  Pair pairs[kMaxPairs];
  const std::size_t read = readPairs(answer, pairs);
  if (read == 0) {
    std::fputc('\n', out);
    return;
  }
  std::sort(pairs, pairs + read, listedBefore);
  for (std::size_t i = 0; i < read; ++i) {
    printPair(q, i == 0, pairs[i].count, answer.data() + pairs[i].labelOffset, out);
  }
}

}  // namespace

void printOrvoAnswer(std::int32_t code, std::int32_t cubesize, std::int32_t x, std::int32_t y,
                     std::int32_t z, TextBuffer& answer, std::int32_t layout, std::FILE* out) {
  // A full buffer from the daemon may lack its terminator; its last byte becomes one.
  answer[kMaxTextLength] = '\0';
  const Query q{code, cubesize, x, y, z, layout == protocol::kTabularLayout};
  if (code == protocol::kCubeCode && isStarred(answer)) {
    printStarredPairAnswer(q, answer, out);
  } else if (code == protocol::kCubeCode) {
    printPairAnswer(q, answer, out);
  } else if (isStarred(answer)) {
    printStarredFieldAnswer(q, answer.data(), out);
  } else {
    printFieldAnswer(q, answer, out);
  }
  std::fflush(out);
}

}  // namespace vantrel
