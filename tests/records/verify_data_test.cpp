// Tests of record validation against field patterns.
#include <gtest/gtest.h>

#include <string>

#include "vantrel.hpp"

namespace vantrel {
namespace {

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
      {"\t1\t2\t", "ii", 1},
      {"1\t2", "iii", 0},
      {"1\t2\t3", "i", 1},  // later fields are neither looked at nor counted
      {"1\nabc", "is", 0},  // the record ends at its newline
      {"12\r\n", "i", 0},   // a carriage return stays part of the field
      {"12\r\n", "s", 1},
      {"", "s", 0},
      {"\t\t", "s", 0},
      {" ", "s", 1},
      {" 7", "I", 1},
      {"7 ", "i", 0},
      {"7", "xi", 1},  // a character that is not a type letter takes no field
      {"+\t.", "if", 1},
      {"+\t.", "IF", 1},
      {"abc\t1", "Si", 1},
      {"abc\t1", "i", 0},
      {"x\t1", "ab?", 1},
  };
  for (const Case& c : cases) {
    std::string record = c.record;
    EXPECT_EQ(verifyData(record.data(), c.pattern), c.expected)
        << '"' << c.record << "\" against \"" << c.pattern << '"';
  }
}

TEST(VerifyData, CutsTheRecordInPlace) {
  char record[] = "12\t-3\tabc\n";
  ASSERT_EQ(verifyData(record, "iis"), 1);
  EXPECT_EQ(std::string(record, sizeof record), std::string("12\0-3\0abc\0", 11));

  char untouched[] = "1\t2\n";
  ASSERT_EQ(verifyData(untouched, ""), 1);
  EXPECT_EQ(std::string(untouched, sizeof untouched), std::string("1\t2\0", 5));
}

TEST(VerifyData, StopsAtTheFirstFailingField) {
  char record[] = "x\t1\t2";
  ASSERT_EQ(verifyData(record, "iii"), 0);
  EXPECT_EQ(std::string(record, sizeof record), std::string("x\0"
                                                            "1\t2",
                                                            6));
}

TEST(VerifyData, TestsFieldsLongerThanATextBuffer) {
  std::string record =
      std::string(2 * kTextBufferSize, '4') + "\t" + std::string(2 * kTextBufferSize, '5') + ".25";
  EXPECT_EQ(verifyData(record.data(), "if"), 1);
}

}  // namespace
}  // namespace vantrel
