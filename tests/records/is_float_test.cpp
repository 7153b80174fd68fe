// Tests of the decimal-number syntax test.
#include <gtest/gtest.h>

#include <string>

#include "vantrel.hpp"

namespace vantrel {
namespace {

TEST(IsFloat, FollowsTheDecimalSyntax) {
  struct Case {
    std::string text;
    std::int32_t expected;
  };
  // Signs and points alone count; a trailing blank, a tab, an exponent, a comma or a second
  // sign or point do not.
  const Case cases[] = {
      {"+", 1},    {"-", 1},       {".", 1},   {"+.", 1},       {"-.5", 1}, {"3.", 1},
      {"  12", 1}, {"007.250", 1}, {"12 ", 0}, {"\t12", 0},     {"1\t", 0}, {"", 0},
      {"   ", 0},  {"1.2.3", 0},   {".5.", 0}, {"..", 0},       {"1e5", 0}, {"1E5", 0},
      {"+-1", 0},  {"- 5", 0},     {"1,5", 0}, {"\xd9\xa3", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isFloat(c.text.c_str()), c.expected) << '"' << c.text << '"';
  }
}

TEST(IsFloat, AnswersForTextsLongerThanATextBuffer) {
  const std::string digits(3 * kTextBufferSize, '7');
  EXPECT_EQ(isFloat((digits + "." + digits).c_str()), 1);
  EXPECT_EQ(isFloat((digits + "." + digits + ".").c_str()), 0);
}

}  // namespace
}  // namespace vantrel
