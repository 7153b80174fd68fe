// Tests of the point tables: fields, rounding, MNI to Talairach, lines good, bad and too long.
#include "tables/point_table.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace tables {
namespace {

constexpr std::size_t kLimit = 8191;

TEST(CoordinateForm, TellsIntegersDecimalsAndNonNumbersApart) {
  const std::pair<const char*, CoordinateForm> cases[] = {
      {"12", CoordinateForm::kInteger},     {"-7", CoordinateForm::kInteger},
      {"  +3", CoordinateForm::kInteger},   {"10.4", CoordinateForm::kDecimal},
      {"-.5", CoordinateForm::kDecimal},    {"3.", CoordinateForm::kDecimal},
      {"-", CoordinateForm::kNotANumber},   {".", CoordinateForm::kNotANumber},
      {"+.", CoordinateForm::kNotANumber},  {"1e5", CoordinateForm::kNotANumber},
      {"1,5", CoordinateForm::kNotANumber}, {"12 ", CoordinateForm::kNotANumber},
      {"x", CoordinateForm::kNotANumber},   {"", CoordinateForm::kNotANumber},
  };
  for (const auto& [field, form] : cases) {
    EXPECT_EQ(coordinateForm(field), form) << '"' << field << '"';
  }
}

TEST(RoundToPoint, RoundsHalvesUpOnBothSidesOfZeroAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(roundToPoint({2.5, -2.5, -0.5}), (Point3{3, -2, 0}));
  EXPECT_EQ(roundToPoint({10.49, -20.51, 7}), (Point3{10, -21, 7}));
  EXPECT_EQ(roundToPoint({2147483647.4, 0, 0}), (Point3{2147483647, 0, 0}));
  EXPECT_EQ(roundToPoint({2147483647.5, 0, 0}), std::nullopt);
  EXPECT_EQ(roundToPoint({0, coordinateValue(std::string(400, '9').c_str()), 0}), std::nullopt);
}

// The MNI points are the ones orvod computes from these Talairach points with
// the inverse of the published pooled matrix; MNI 0,0,0 lands on that matrix's
// translation column (-1.0423, -1.3940, 3.6475).
TEST(TalairachFromMni, MatchesThePublishedPooledTransform) {
  const std::pair<Values3, Point3> cases[] = {
      {{7.528, 9.294, 3.988}, {6, 7, 8}},
      {{-41.174, -15.953, 53.503}, {-40, -20, 50}},
      {{0, 0, 0}, {-1, -1, 4}},
      {{108, 116, 96}, {100, 100, 100}},
  };
  for (const auto& [mni, talairach] : cases) {
    EXPECT_EQ(talairachFromMni(mni), talairach) << mni[0] << ',' << mni[1];
  }
}

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

using Rows = std::vector<std::pair<std::size_t, std::string>>;

// What the reader made of a table: each row's line number and its reason ("" when accepted).
Rows rowsOf(const std::string& text) {
  std::istringstream in(text);
  Rows rows;
  for (const InputLine& line : readTable(in, false)) {
    EXPECT_LE(line.text.size(), kLimit + 1);
    rows.emplace_back(line.number, line.reason);
  }
  return rows;
}

TEST(ReadTable, SkipsOneHeaderAndNumbersEveryLineRead) {
  const std::string text =
      "# peaks of study 1\n"
      "\n"
      "x\ty\tz\tname\n"
      "6\t7\t8\tcaudate\n"
      "x\ty\tz\n"
      "-40\t-20\t50";
  std::istringstream in(text);
  const std::vector<InputLine> table = readTable(in, false);
  ASSERT_EQ(table.size(), 3U);
  EXPECT_EQ(table[2].point, (Point3{-40, -20, 50}));
  EXPECT_EQ(rowsOf(text), (Rows{{4, ""}, {5, "X is not a number: x"}, {6, ""}}));
  EXPECT_EQ(rowsOf("x\t1\t2\n"), (Rows{{1, "X is not a number: x"}}));
}

// The limit counts the line without its carriage return, and a line beyond it is rejected,
// blank or a comment though its start may look, without being held whole.
TEST(ReadTable, RejectsLinesPastTheLimitAsItReadsAndGoesOn) {
  const std::string tooLong = "the line is longer than 8191 characters";
  const std::string point = "1\t2\t3\t";
  const std::string atLimit = point + std::string(kLimit - point.size(), 'x');
  const std::string endless(4 << 20, '7');
  const std::pair<std::string, Rows> cases[] = {
      {atLimit + "\r\n" + atLimit + "\n", {{1, ""}, {2, ""}}},
      {atLimit + "x\n" + atLimit + "x\r\n", {{1, tooLong}, {2, tooLong}}},
      {endless + "\n4\t5\t6\n", {{1, tooLong}, {2, ""}}},
      {"4\t5\t6\n" + endless, {{1, ""}, {2, tooLong}}},
      {std::string(kLimit + 9, ' ') + "\r\n#" + endless + "\n4\t5\t6", {{3, ""}}},
      {std::string(kLimit + 9, ' ') + "\r 1\n4\t5\t6", {{1, tooLong}, {2, ""}}},
  };
  for (const auto& [table, rows] : cases) {
    EXPECT_EQ(rowsOf(table), rows) << table.substr(0, 40);
  }
}

}  // namespace
}  // namespace tables
