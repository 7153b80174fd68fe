// The input table: one point per line, checked by the record validators.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <string>
#include <vector>

#include "batch/coordinates.hpp"

namespace vantrel::batch {

// One line of the table that yields an output row: a point to query, or a
// rejected line with its reason.
struct InputLine {
  std::size_t number = 0;  // 1-based, counting every line read
  bool rejected = false;
  std::string reason;                // why the line was rejected
  std::string text;                  // the line as read, without its line end
  Point3 point{};                    // the Talairach point to query
  bool rounded = false;              // a coordinate was written with a decimal point
  bool mni = false;                  // the coordinates were MNI and were converted
  std::array<std::string, 3> given;  // the three coordinates as written
  Values3 givenValues{};
  std::vector<std::string> extra;  // fields after the third, carried through
};

// What a line turned out to be before it joins the table.
enum class LineRole { kSkipped, kHeader, kPoint };

// Reads one line (without its line end; a carriage return before it is
// dropped). `headerPossible` is true for the first line that is neither blank
// nor a comment: only there are three non-numeric fields a header.
LineRole readLine(const std::string& line, std::size_t number, bool mni, bool headerPossible,
                  InputLine& out);

// Every line of `in` that yields a row, in input order.
std::vector<InputLine> readTable(std::istream& in, bool mni);

}  // namespace vantrel::batch
