// Tests of token cutting and decimal conversion.
#include "cli/tokens.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace vantrel::detail {
namespace {

std::vector<std::string> cutAll(std::string text, char delimiter) {
  std::vector<std::string> tokens;
  char* cursor = text.data();
  while (const char* token = cutToken(cursor, delimiter)) {
    tokens.emplace_back(token);
  }
  return tokens;
}

TEST(CutToken, SkipsRunsOfTheDelimiterSoEmptyFieldsVanish) {
  struct Case {
    const char* text;
    char delimiter;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"2,6,7,8", ',', {"2", "6", "7", "8"}},
      {",,2,,6,,", ',', {"2", "6"}},
      {"", ',', {}},
      {",,,", ',', {}},
      {"3::5", ':', {"3", "5"}},
      {"a\t\tb", '\t', {"a", "b"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cutAll(c.text, c.delimiter), c.tokens) << c.text;
  }
}

TEST(CutToken, OnlyTheCurrentDelimiterIsSpecial) {
  std::string text = "3::5,1";
  char* cursor = text.data();
  EXPECT_STREQ(cutToken(cursor, ':'), "3");
  EXPECT_STREQ(cutToken(cursor, ','), ":5");
  EXPECT_STREQ(cutToken(cursor, ','), "1");
  EXPECT_EQ(cutToken(cursor, ','), nullptr);
}

TEST(ConvertInt32, AcceptsExactlyTheSigned32BitRange) {
  struct Case {
    const char* text;
    bool fits;
    std::int32_t value;
  };
  const Case cases[] = {
      {"+", true, 0},
      {"-", true, 0},
      {"-0", true, 0},
      {"007", true, 7},
      {"  -12", true, -12},
      {"2147483647", true, std::numeric_limits<std::int32_t>::max()},
      {"-2147483648", true, std::numeric_limits<std::int32_t>::min()},
      {"00000000000000000000002147483647", true, std::numeric_limits<std::int32_t>::max()},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999", false, 0},
      {"4294967302", false, 0},  // wraps to 6 in 32 bits
  };
  for (const Case& c : cases) {
    std::int32_t value = 0;
    EXPECT_EQ(convertInt32(c.text, value), c.fits) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(LeadingInt32, ReadsTheLeadingIntegerAndSaturates) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {
      {"3x", 3},
      {"x", 0},
      {"", 0},
      {" \t\n\v\f\r-12abc", -12},
      {"+-1", 0},
      {"99999999999", std::numeric_limits<std::int32_t>::max()},
      {"-99999999999", std::numeric_limits<std::int32_t>::min()},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(leadingInt32(c.text), c.value) << c.text;
  }
}

}  // namespace
}  // namespace vantrel::detail
