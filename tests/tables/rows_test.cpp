// Tests of the row writers: what becomes of a cell that would split or join TSV rows, numbers
// in cells, and the JSON row of a rejected line.
#include "tables/rows.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace tables {
namespace {

TEST(TsvRow, KeepsEveryCellInItsColumnAndRow) {
  struct Case {
    std::function<void(TsvRow&)> write;
    std::string tsv;
  };
  const Case cases[] = {
      {[](TsvRow& row) { row.cell("a\tb").cell("c\nd").cell("e\r\n"); }, "a b\tc d\te  \n"},
      {[](TsvRow& row) {
         row.cell("").cells({"x", "\t"});
       },
       "\tx\t \n"},
      {[](TsvRow& row) { row.cell("1,2;3:4 #5"); }, "1,2;3:4 #5\n"},
      {[](TsvRow& row) { row.cell(2.5, 3).cell(10.0, 2).cell(-0.0004, 3).cell(-7.125, 2); },
       "2.5\t10\t0\t-7.13\n"},
      {[](TsvRow&) {}, "\n"},
  };
  for (const Case& c : cases) {
    std::string out = "kept\n";
    TsvRow row(out);
    c.write(row);
    row.end();
    EXPECT_EQ(out, "kept\n" + c.tsv);
  }
}

TEST(RejectedRow, JsonNamesTheLineAndTheReasonAndKeepsTheText) {
  InputLine bad;
  bad.number = 12;
  bad.rejected = true;
  bad.reason = "Y is not a number: abc";
  bad.text = "1\tabc\t3\t\xff";
  // A byte that is not UTF-8 becomes U+FFFD rather than making the row unwritable.
  EXPECT_EQ(rejectedRow(RowFormat::kJson, bad),
            "{\"line\":12,\"status\":\"rejected\",\"error\":\"Y is not a number: abc\","
            "\"text\":\"1\\tabc\\t3\\t\xef\xbf\xbd\"}\n");
}

}  // namespace
}  // namespace tables
