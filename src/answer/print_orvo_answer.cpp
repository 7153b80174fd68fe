// printOrvoAnswer: echoes the query and lays out the daemon's answer for the reader.
#include <cstdint>
#include <cstdio>

#include "src/answer/answer_parse.hpp"
#include "src/protocol/protocol.hpp"
#include "src/vantrel.hpp"

namespace vantrel {

namespace {

struct Query {
  std::int32_t code;
  std::int32_t cubesize;
  std::int32_t x;
  std::int32_t y;
  std::int32_t z;
  bool tabular;
};

void printEcho(const Query& q, std::FILE* out) {
  if (q.code == protocol::kCubeCode) {
    std::fprintf(out, "Sent: %i:%i,%i,%i,%i\nReturned:\n", q.code, q.cubesize, q.x, q.y, q.z);
  } else {
    std::fprintf(out, "Sent: %i,%i,%i,%i\nReturned: ", q.code, q.x, q.y, q.z);
  }
}

// The report echoes the query before the answer; the tabular layout starts
// every answer's first row with the point.
void printLead(const Query& q, std::FILE* out) {
  if (q.tabular) {
    std::fprintf(out, "%i\t%i\t%i\t", q.x, q.y, q.z);
  } else {
    printEcho(q, out);
  }
}

void printFields(const Query& q, const AnswerParse& parse, std::FILE* out) {
  for (std::size_t i = 0; i < parse.count; ++i) {
    std::fputs(parse.field(i), out);
    if (i + 1 < parse.count) {
      std::fputc(q.tabular ? '\t' : ',', out);
    }
  }
}

void tabsForCommas(char* label) {
  for (; *label != '\0'; ++label) {
    if (*label == ',') {
      *label = '\t';
    }
  }
}

// Only the tabular layout spreads a label's levels over columns; its later
// rows leave the point's columns blank.
void printPairs(const Query& q, const AnswerParse& parse, std::FILE* out) {
  for (std::size_t i = 0; i < parse.count; ++i) {
    char* label = parse.label(i);
    if (q.tabular) {
      tabsForCommas(label);
    }
    if (i > 0 && q.tabular) {
      std::fputs("\t\t\t", out);
    }
    std::fprintf(out, q.tabular ? "%i\t%s\n" : "%i:%s\n", parse.pairs[i].count, label);
  }
}

}  // namespace

// An answer without a field or a complete pair prints a bare line end, with no echo of the query.
void printOrvoAnswer(std::int32_t code, std::int32_t cubesize, std::int32_t x, std::int32_t y,
                     std::int32_t z, TextBuffer& answer, std::int32_t layout, std::FILE* out) {
  AnswerParse parse;
  parseOrvoAnswer(code, answer, parse);
  const Query q{code, cubesize, x, y, z, layout == protocol::kTabularLayout};
  if (parse.kind == AnswerKind::kMessage) {
    printLead(q, out);
    std::fprintf(out, "%s\n", parse.message);
  } else if (parse.count == 0) {
    std::fputc('\n', out);
  } else if (parse.kind == AnswerKind::kFields) {
    printLead(q, out);
    printFields(q, parse, out);
    std::fputc('\n', out);
  } else {
    printLead(q, out);
    printPairs(q, parse, out);
  }
  std::fflush(out);
}

}  // namespace vantrel
