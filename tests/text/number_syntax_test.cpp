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
  // Signs and (for decimals) points alone count; a trailing blank, a tab, an exponent, or a
  // second sign or point do not.
  const Case cases[] = {
      {"12", 1, 1},    {"  12", 1, 1}, {"+", 1, 1},   {".", 0, 1},    {"+.", 0, 1},
      {"-.5", 0, 1},   {"12 ", 0, 0},  {"", 0, 0},    {"\t12", 0, 0}, {"+-1", 0, 0},
      {"1.2.3", 0, 0}, {"..", 0, 0},   {"1e5", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isInt(c.text.c_str()), c.isInt) << '"' << c.text << '"';
    EXPECT_EQ(isFloat(c.text.c_str()), c.isFloat) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace vantrel
