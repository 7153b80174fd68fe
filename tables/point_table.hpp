// The point tables that vantrel-batch and vantrel-atlas read: one point per tab-separated line,
// coordinates checked by the record validators, further fields carried through.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "tables/line_reader.hpp"

namespace tables {

using Point3 = std::array<std::int32_t, 3>;
using Values3 = std::array<double, 3>;

// How a coordinate field reads: an integer, a decimal number to be rounded,
// or no number at all (the reason a line is rejected).
enum class CoordinateForm { kInteger, kDecimal, kNotANumber };

// isInt, else isFloat; either way the field must hold a digit, so the "-" or
// "." that tables use for a missing value is no number.
CoordinateForm coordinateForm(const char* field);

// The value of a field of form kInteger or kDecimal.
double coordinateValue(const char* field);

// Rounds half up, floor(v + 0.5), as orvod rounds its points; nothing when a
// value does not fit a signed 32-bit integer.
std::optional<Point3> roundToPoint(const Values3& values);

// The Talairach point orvod labels for an MNI point: its forward pooled
// transform, then rounding half up.
std::optional<Point3> talairachFromMni(const Values3& mni);

// One line of the table that yields an output row: a point to query, or a
// rejected line with its reason.
struct InputLine {
  std::size_t number = 0;  // 1-based, counting every line read
  bool rejected = false;
  std::string reason;                // why the line was rejected
  std::string text;                  // the line as read, without its line end; only its start
                                     // when it is longer than the limit
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

// Reads a table a line at a time. A line longer than the limit is rejected without ever being
// held whole: a table that is one endless line costs no more memory than a short one.
class PointTableReader {
 public:
  PointTableReader(std::istream& in, bool mni);

  // The next line that is a point (a rejected one too) or the header, with what it is; nothing
  // at the end of the table. Blank lines and comments are passed over.
  std::optional<LineRole> next(InputLine& out);

 private:
  LineReader lines_;
  TextLine line_;
  bool mni_;
  std::size_t number_ = 0;
  bool headerPossible_ = true;
};

// Every line of `in` that yields a row, in input order.
std::vector<InputLine> readTable(std::istream& in, bool mni);

}  // namespace tables
