// Tests of the answer printer through printOrvoAnswer, output compared byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "src/vantrel.hpp"
#include "testkit/written.hpp"

namespace vantrel {
namespace {

constexpr std::int32_t kReport = 0;
constexpr std::int32_t kTabular = 1;

const std::string kCaudate = "Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate Body";

std::string printedFrom(std::int32_t code, TextBuffer& answer, std::int32_t layout) {
  return kit::writtenBy(
      [&](std::FILE* out) { printOrvoAnswer(code, 3, 5, 6, 7, answer, layout, out); });
}

// Prints `text` as the answer to a query of `code` at the point 5, 6, 7 (cube size 3).
std::string printed(std::int32_t code, const std::string& text, std::int32_t layout) {
  TextBuffer answer{};
  text.copy(answer.data(), kMaxTextLength);
  return printedFrom(code, answer, layout);
}

TEST(PrintOrvoAnswer, PrintsEachKindOfAnswerInBothLayouts) {
  struct Case {
    std::int32_t code;
    std::string answer;
    std::string report;
    std::string tabular;
  };
  const Case cases[] = {
      // Field answers rejoin their non-empty fields.
      {2, kCaudate, "Sent: 2,5,6,7\nReturned: " + kCaudate + "\n",
       "5\t6\t7\tRight Cerebrum\tSub-lobar\tCaudate\tGray Matter\tCaudate Body\n"},
      {1, ",a,,b,", "Sent: 1,5,6,7\nReturned: a,b\n", "5\t6\t7\ta\tb\n"},
      {2, ",,,", "\n", "\n"},
      // Starred answers are never split; for Code 3 the star and the character after it go.
      {2, "*No label, here", "Sent: 2,5,6,7\nReturned: *No label, here\n",
       "5\t6\t7\t*No label, here\n"},
      {3, "*:No data, sorry", "Sent: 3:3,5,6,7\nReturned:\nNo data, sorry\n",
       "5\t6\t7\tNo data, sorry\n"},
      // Pairs by descending count; only the tabular layout turns label commas into tabs.
      {3, "2:A,,B:7:C,D:", "Sent: 3:3,5,6,7\nReturned:\n7:C,D\n2:A,,B\n",
       "5\t6\t7\t7\tC\tD\n\t\t\t2\tA\t\tB\n"},
      // Documented choice: without a complete pair nothing is listed, and the printer prints
      // a bare line end, as for a field answer without any field.
      {3, "", "\n", "\n"},
      {3, "18:", "\n", "\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(printed(c.code, c.answer, kReport), c.report) << c.answer;
    EXPECT_EQ(printed(c.code, c.answer, kTabular), c.tabular) << c.answer;
  }
}

TEST(PrintOrvoAnswer, PairOrderingAndSixteenBitCounts) {
  const std::string header = "Sent: 3:3,5,6,7\nReturned:\n";
  struct Listing {
    std::string answer;
    std::string lines;
  };
  const Listing listings[] = {
      // Equal counts: the one standing later comes first.
      {"4:first:4:second:9:top:", "9:top\n4:second\n4:first\n"},
      // -1 is an ordinary count: listed once, between 0 and -2, ties reversed.
      {"-2:m2:0:zero:-1:m1:65535:wrapped:1:one:", "1:one\n0:zero\n-1:wrapped\n-1:m1\n-2:m2\n"},
      // Low 16 bits with sign; C blanks before the number; no digits count 0; overflow saturates
      // before the cut.
      {"65536:a:70000:b: \t\n\v\f\r+12abc:c:none:d:99999999999:e:-99999999999:f:",
       "4464:b\n12:c\n0:f\n0:d\n0:a\n-1:e\n"},
      // Three colons call for one pair: the unclosed second pair is not read.
      {"18:a:9:b", "18:a\n"},
      {"18:a", "18:a\n"},
      // Colons ask for three pairs, the fields hold two.
      {"1:a:2:b::::", "2:b\n1:a\n"},
  };
  for (const Listing& l : listings) {
    EXPECT_EQ(printed(3, l.answer, kReport), header + l.lines) << l.answer;
  }
}

// A reply of the full buffer has no terminator; the printer must not read past it.
TEST(PrintOrvoAnswer, AnswerFillingTheWholeBufferEndsAtItsLastByte) {
  TextBuffer answer;
  answer.fill('a');
  EXPECT_EQ(printedFrom(1, answer, kReport),
            "Sent: 1,5,6,7\nReturned: " + std::string(kMaxTextLength, 'a') + "\n");
}

}  // namespace
}  // namespace vantrel
