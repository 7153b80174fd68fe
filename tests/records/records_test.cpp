// Tests of the record validators and the integer and decimal-number syntax they test fields with.
#include <gtest/gtest.h>

#include <string>

#include "src/vantrel.hpp"

namespace vantrel {
namespace {

using namespace std::string_literals;

TEST(VerifyData, MatchesRecordsAgainstPatterns) {
  struct Case {
    std::string record;
    const char* pattern;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"12\t-3\tabc\n", "iis", 1},
      {"1.5\t2", "fi", 1},
      {"1.5\t2", "if", 0},
      {"anything\n", "", 1},
      {"1\t\t2", "ii", 1},  // the empty field vanishes
      {"1\t2", "iii", 0},
      {"1\t2\t3", "i", 1},  // later fields are neither looked at nor counted
      {"1\nabc", "is", 0},  // the record ends at its newline
      {"12\r\n", "i", 0},   // a carriage return stays part of the field
      {"", "s", 0},
      {" ", "s", 1},
      {" 7", "I", 1},
      {"7", "xi", 1},  // a character that is not a type letter takes no field
      {"+\t.", "IF", 1},
  };
  for (const Case& c : cases) {
    std::string record = c.record;
    EXPECT_EQ(verifyData(record.data(), c.pattern), c.expected)
        << '"' << c.record << "\" against \"" << c.pattern << '"';
  }
}

// The fields checked are cut where they stand; the rest of the record is left as it was.
TEST(VerifyData, CutsTheRecordInPlace) {
  std::string record = "12\t-3\tabc\n";
  EXPECT_EQ(verifyData(record.data(), "iis"), 1);
  EXPECT_EQ(record, "12\0-3\0abc\0"s);
  record = "x\t1\t2";
  EXPECT_EQ(verifyData(record.data(), "iii"), 0);
  EXPECT_EQ(record, "x\0"s + "1\t2");
}

TEST(NumberSyntax, FollowsTheIntegerAndDecimalSyntax) {
  struct Case {
    std::string text;
    std::int32_t isInt, isFloat;
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
