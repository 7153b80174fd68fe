// Tests of the input table: good and bad lines, skipped lines, the header, line numbers.
#include "batch/input_table.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace vantrel::batch {
namespace {

TEST(ReadLine, TakesGoodLinesAndGivesTheReasonForBadOnes) {
  struct Case {
    std::string line;
    LineRole role;
    std::string reason;  // empty for an accepted point
    Point3 point;
    bool rounded;
    std::vector<std::string> extra;
  };
  const Case cases[] = {
      {"6\t7\t8", LineRole::kPoint, "", {6, 7, 8}, false, {}},
      {"\t-40\t\t-20\t50\t", LineRole::kPoint, "", {-40, -20, 50}, false, {}},
      {"6\t7\t8\tcaudate\t0.001", LineRole::kPoint, "", {6, 7, 8}, false, {"caudate", "0.001"}},
      {"6\t7\t8\r", LineRole::kPoint, "", {6, 7, 8}, false, {}},
      {" +6\t007\t-0", LineRole::kPoint, "", {6, 7, 0}, false, {}},
      {"10.4\t-20.6\t30.5", LineRole::kPoint, "", {10, -21, 31}, true, {}},
      {"6\t7.0\t8", LineRole::kPoint, "", {6, 7, 8}, true, {}},
      {"", LineRole::kSkipped, "", {}, false, {}},
      {" \t \r", LineRole::kSkipped, "", {}, false, {}},
      {"# x\ty\tz", LineRole::kSkipped, "", {}, false, {}},
      {"1\t2", LineRole::kPoint, "fewer than three tab-separated fields", {}, false, {}},
      {"1 2 3", LineRole::kPoint, "fewer than three tab-separated fields", {}, false, {}},
      {"1\tabc\t3", LineRole::kPoint, "Y is not a number: abc", {}, false, {}},
      {"1\t2\t-", LineRole::kPoint, "Z is not a number: -", {}, false, {}},
      {"99999999999\t2\t3", LineRole::kPoint, "a coordinate is out of range", {}, false, {}},
      {std::string(8192, '1'),
       LineRole::kPoint,
       "the line is longer than 8191 characters",
       {},
       false,
       {}},
  };
  for (const Case& c : cases) {
    InputLine read;
    EXPECT_EQ(readLine(c.line, 4, false, false, read), c.role) << c.line;
    if (c.role != LineRole::kPoint) {
      continue;
    }
    EXPECT_EQ(read.number, 4U);
    EXPECT_EQ(read.rejected, !c.reason.empty()) << c.line;
    EXPECT_EQ(read.reason, c.reason) << c.line;
    if (c.reason.empty()) {
      EXPECT_EQ(read.point, c.point) << c.line;
      EXPECT_EQ(read.rounded, c.rounded) << c.line;
      EXPECT_EQ(read.extra, c.extra) << c.line;
    }
  }
}

TEST(ReadLine, KeepsTheCoordinatesAsWrittenAndConvertsMni) {
  InputLine read;
  ASSERT_EQ(readLine("-41.174\t -15.953\t53.503\tM1", 1, true, false, read), LineRole::kPoint);
  EXPECT_EQ(read.given, (std::array<std::string, 3>{"-41.174", "-15.953", "53.503"}));
  EXPECT_EQ(read.givenValues, (Values3{-41.174, -15.953, 53.503}));
  EXPECT_EQ(read.point, (Point3{-40, -20, 50}));
  EXPECT_TRUE(read.mni);
  EXPECT_EQ(read.extra, std::vector<std::string>{"M1"});
}

// A header comes only first and needs three fields that are not numbers.
TEST(ReadTable, SkipsOneHeaderAndNumbersEveryLineRead) {
  std::istringstream in(
      "# peaks of study 1\n"
      "\n"
      "x\ty\tz\tname\n"
      "6\t7\t8\tcaudate\n"
      "x\ty\tz\n"
      "-40\t-20\t50");
  const std::vector<InputLine> table = readTable(in, false);
  ASSERT_EQ(table.size(), 3U);
  EXPECT_EQ(table[0].number, 4U);
  EXPECT_FALSE(table[0].rejected);
  EXPECT_EQ(table[1].number, 5U);
  EXPECT_EQ(table[1].reason, "X is not a number: x");
  EXPECT_EQ(table[2].number, 6U);
  EXPECT_EQ(table[2].point, (Point3{-40, -20, 50}));
  std::istringstream mixedFirst("x\t1\t2\n");
  EXPECT_EQ(readTable(mixedFirst, false).at(0).reason, "X is not a number: x");
}

}  // namespace
}  // namespace vantrel::batch
