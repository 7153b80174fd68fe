// Tests of the integer and decimal-number syntax tests.
#include <gtest/gtest.h>

#include <string>

#include "src/vantrel.hpp"

namespace vantrel {
namespace {

TEST(NumberSyntax, FollowsTheIntegerAndDecimalSyntax) {
  struct Case {
    std::string text;
    std::int32_t isInt;
    std::int32_t isFloat;
  };
  // Signs and (for decimals) points alone count; a trailing blank, a tab, an
  // exponent, a comma or a second sign or point do not.
  const Case cases[] = {
      {"12", 1, 1},  {"  12", 1, 1}, {"-7", 1, 1},  {"+", 1, 1},        {"007", 1, 1},
      {".", 0, 1},   {"+.", 0, 1},   {"-.5", 0, 1}, {"3.", 0, 1},       {"007.250", 0, 1},
      {"12 ", 0, 0}, {"1a", 0, 0},   {"", 0, 0},    {"   ", 0, 0},      {"\t12", 0, 0},
      {"1\t", 0, 0}, {"+-1", 0, 0},  {"- 5", 0, 0}, {"1.2.3", 0, 0},    {".5.", 0, 0},
      {"..", 0, 0},  {"1e5", 0, 0},  {"1,5", 0, 0}, {"\xd9\xa3", 0, 0},  // a non-ASCII digit is no
                                                                         // digit
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isInt(c.text.c_str()), c.isInt) << '"' << c.text << '"';
    EXPECT_EQ(isFloat(c.text.c_str()), c.isFloat) << '"' << c.text << '"';
  }
}

TEST(NumberSyntax, AnswersForTextsLongerThanATextBuffer) {
  const std::string digits(3 * kTextBufferSize, '9');
  EXPECT_EQ(isInt(digits.c_str()), 1);
  EXPECT_EQ(isInt((digits + "x").c_str()), 0);
  EXPECT_EQ(isInt((std::string(kTextBufferSize, ' ') + "5").c_str()), 1);
  EXPECT_EQ(isFloat((digits + "." + digits).c_str()), 1);
  EXPECT_EQ(isFloat((digits + "." + digits + ".").c_str()), 0);
}

}  // namespace
}  // namespace vantrel
