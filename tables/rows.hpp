// Output rows in the two forms the table programs write: TSV, and one JSON object per line.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "tables/point_table.hpp"

namespace tables {

enum class RowFormat { kTsv, kJson };

// Builds TSV rows onto the end of a string. A tab or line end inside a cell would start a
// column or a row of its own, so each becomes a blank: no cell can split or join rows.
class TsvRow {
 public:
  explicit TsvRow(std::string& out) : out_(out) {}

  TsvRow& cell(std::string_view text);
  // A number with at most `decimals` decimals, as appendNumber writes it.
  TsvRow& cell(double value, int decimals);
  TsvRow& cells(const std::vector<std::string>& texts);
  // Ends the row with its line end; the next cell starts another.
  void end();

 private:
  void startCell();

  std::string& out_;
  bool first_ = true;
};

// "# line N: <note>" and a line end: what a table row says about its input line, in TSV.
std::string lineNote(std::size_t number, std::string_view note);

// One JSON object and its line end. Bytes that are not UTF-8 (a table and the daemon may send
// any) become U+FFFD instead of making the row unwritable.
std::string jsonLine(const nlohmann::ordered_json& object);

// The row of a line the reader rejected: a line note in TSV; in JSON the line, the status, the
// reason and the text.
std::string rejectedRow(RowFormat format, const InputLine& line);

}  // namespace tables
