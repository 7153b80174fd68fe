// Tests of the label table parser.
#include "orvod/label_table.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace orvod {
namespace {

LabelTable parse(const std::string& text) {
  std::istringstream in(text);
  return parseLabelTable(in, "table");
}

TEST(LabelTable, ReadsBlankOrTabSeparatedRowsWithCrLfEnds) {
  const LabelTable table = parse("72 Caudate_R 7002\r\n\r\n0\tUnclassified\r\n255\tLast_R\n");
  EXPECT_EQ(table[72].name, "Caudate_R");
  EXPECT_EQ(table[72].code, "7002");
  EXPECT_EQ(table[0].name, "Unclassified");
  EXPECT_EQ(table[255].name, "Last_R");
  EXPECT_TRUE(table[255].code.empty());
  EXPECT_TRUE(table[73].name.empty());
}

TEST(LabelTable, RefusesRowsWithoutAByteValueAndANameAndMissingFiles) {
  for (const char* bad : {"256 Too_big\n", "-1 Negative\n", "x Name\n", "12\n", "1.5 Half\n"}) {
    EXPECT_THROW(parse(bad), std::runtime_error) << bad;
  }
  EXPECT_THROW(readLabelTable("/nonexistent/table.txt"), std::runtime_error);
}

}  // namespace
}  // namespace orvod
