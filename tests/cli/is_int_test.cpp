// Tests of the integer syntax test.
#include <gtest/gtest.h>

#include <string>

#include "vantrel.hpp"

namespace vantrel {
namespace {

TEST(IsInt, FollowsTheIntegerSyntax) {
  struct Case {
    std::string text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"12", 1},  {"  12", 1}, {"-7", 1},       {"+", 1},   {"-", 1},    {"007", 1},
      {"12 ", 0}, {"1a", 0},   {"", 0},         {"   ", 0}, {"\t12", 0}, {"+-1", 0},
      {"1.5", 0}, {"1e5", 0},  {"\xd9\xa3", 0},  // a non-ASCII digit is no digit
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isInt(c.text.c_str()), c.expected) << '"' << c.text << '"';
  }
}

TEST(IsInt, AnswersForTextsLongerThanATextBuffer) {
  const std::string digits(3 * kTextBufferSize, '9');
  EXPECT_EQ(isInt(digits.c_str()), 1);
  EXPECT_EQ(isInt((digits + "x").c_str()), 0);
  EXPECT_EQ(isInt((std::string(kTextBufferSize, ' ') + "5").c_str()), 1);
}

}  // namespace
}  // namespace vantrel
