// Output rows in the two forms the table programs write: TSV, and one JSON object per line.
#include "tables/rows.hpp"

#include <algorithm>

#include "tables/numbers.hpp"

namespace tables {

void TsvRow::startCell() {
  if (!first_) {
    out_ += '\t';
  }
  first_ = false;
}

TsvRow& TsvRow::cell(std::string_view text) {
  startCell();
  const std::size_t start = out_.size();
  out_ += text;
  std::replace_if(
      out_.begin() + static_cast<std::ptrdiff_t>(start), out_.end(),
      [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
  return *this;
}

TsvRow& TsvRow::cell(double value, int decimals) {
  startCell();
  appendNumber(out_, value, decimals);
  return *this;
}

TsvRow& TsvRow::cells(const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    cell(text);
  }
  return *this;
}

void TsvRow::end() {
  out_ += '\n';
  first_ = true;
}

std::string lineNote(std::size_t number, std::string_view note) {
  std::string text = "# line " + std::to_string(number) + ": ";
  text += note;
  text += '\n';
  return text;
}

std::string jsonLine(const nlohmann::ordered_json& object) {
  return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n';
}

std::string rejectedRow(RowFormat format, const InputLine& line) {
  if (format == RowFormat::kTsv) {
    return lineNote(line.number, "rejected: " + line.reason);
  }
  return jsonLine(
      {{"line", line.number}, {"status", "rejected"}, {"error", line.reason}, {"text", line.text}});
}

}  // namespace tables
