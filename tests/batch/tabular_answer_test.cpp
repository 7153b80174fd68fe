// Tests of the printer's tabular rows read back: fields, pairs in listing order, starred messages.
#include "batch/tabular_answer.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace vantrel::batch {
namespace {

using Pairs = std::vector<std::pair<int, std::string>>;

TextBuffer answerText(const std::string& text) {
  TextBuffer answer{};
  std::memcpy(answer.data(), text.data(), text.size());
  return answer;
}

AnswerView viewOf(std::int32_t code, const std::string& text) {
  TextBuffer answer = answerText(text);
  const std::string rows = printTabular({code, 3, {5, 6, 7}}, answer);
  return readTabularRows(rows, code == 3, text[0] == '*');
}

TEST(ReadTabularRows, GivesBackWhatThePrinterShowed) {
  struct Case {
    std::int32_t code;
    std::string answer;
    std::vector<std::string> fields;
    Pairs pairs;
    std::string message;
  };
  const Case cases[] = {
      {2, "Right Cerebrum,,Sub-lobar,Caudate,", {"Right Cerebrum", "Sub-lobar", "Caudate"}, {}, ""},
      {1, ",,", {}, {}, ""},
      {3, "9:a,b:18:c,,d:", {}, {{18, "c,,d"}, {9, "a,b"}}, ""},
      {3, "7:x:7:y:-2:z:0:w:", {}, {{7, "y"}, {7, "x"}, {0, "w"}, {-2, "z"}}, ""},
      {3, "65537:big:", {}, {{1, "big"}}, ""},
      {2,
       "* Talairach 1,2,3 is outside the brain",
       {},
       {},
       "* Talairach 1,2,3 is outside the brain"},
      {3, "* Talairach 1,2,3: the 3x3x3 cube", {}, {}, "Talairach 1,2,3: the 3x3x3 cube"},
  };
  for (const Case& c : cases) {
    const AnswerView view = viewOf(c.code, c.answer);
    EXPECT_EQ(view.fields, c.fields) << c.answer;
    EXPECT_EQ(view.pairs, c.pairs) << c.answer;
    EXPECT_EQ(view.message, c.message) << c.answer;
    EXPECT_EQ(view.starred, c.answer[0] == '*') << c.answer;
  }
}

}  // namespace
}  // namespace vantrel::batch
