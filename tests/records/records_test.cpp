// Tests of the record validators.
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
      {"\t1\t2\t", "ii", 1},
      {"1\t2", "iii", 0},
      {"1\t2\t3", "i", 1},  // later fields are neither looked at nor counted
      {"1\nabc", "is", 0},  // the record ends at its newline
      {"12\r\n", "i", 0},   // a carriage return stays part of the field
      {"12\r\n", "s", 1},
      {"", "s", 0},
      {" ", "s", 1},
      {" 7", "I", 1},
      {"7 ", "i", 0},
      {"7", "xi", 1},  // a character that is not a type letter takes no field
      {"+\t.", "IF", 1},
      {"abc\t1", "Si", 1},
      {"x\t1", "ab?", 1},
  };
  for (const Case& c : cases) {
    std::string record = c.record;
    EXPECT_EQ(verifyData(record.data(), c.pattern), c.expected)
        << '"' << c.record << "\" against \"" << c.pattern << '"';
  }
}

// The fields checked are cut where they stand; the rest of the record is left as it was.
TEST(VerifyData, CutsTheRecordInPlace) {
  struct Case {
    std::string record;
    const char* pattern;
    std::int32_t expected;
    std::string after;
  };
  const Case cases[] = {
      {"12\t-3\tabc\n", "iis", 1, "12\0-3\0abc\0"s},
      {"1\t2\n", "", 1, "1\t2\0"s},
      {"x\t1\t2", "iii", 0, "x\0"s + "1\t2"},
  };
  for (const Case& c : cases) {
    std::string record = c.record;
    EXPECT_EQ(verifyData(record.data(), c.pattern), c.expected) << c.record;
    EXPECT_EQ(record, c.after) << c.record;
  }
}

TEST(VerifyData, TestsFieldsLongerThanATextBuffer) {
  std::string record =
      std::string(2 * kTextBufferSize, '4') + "\t" + std::string(2 * kTextBufferSize, '5') + ".25";
  EXPECT_EQ(verifyData(record.data(), "if"), 1);
}

TEST(StripNl, TurnsEveryNewlineAndNothingElseIntoATerminator) {
  char text[] = "a\nb\r\tc\n";
  strip_nl(text);
  EXPECT_EQ(std::string(text, sizeof text), std::string("a\0b\r\tc\0\0", 8));
}

}  // namespace
}  // namespace vantrel
