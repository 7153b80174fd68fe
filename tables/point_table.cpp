// The point tables that vantrel-batch and vantrel-atlas read: one point per tab-separated line,
// coordinates checked by the record validators, further fields carried through.
#include "tables/point_table.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "imaging/talairach.hpp"
#include "imaging/affine.hpp"
#include "src/text/text.hpp"
#include "src/vantrel.hpp"

namespace tables {

using imaging::applyAffine;
using imaging::mniToTalairach;
using imaging::roundHalfUp;
using imaging::Vec3;
using vantrel::isFloat;
using vantrel::isInt;
using vantrel::kMaxTextLength;
using vantrel::TextBuffer;
using vantrel::verifyData;
namespace text = vantrel::text;

namespace {

bool holdsDigit(const char* text) {
  for (; *text != '\0'; ++text) {
    if (text::isDigit(*text)) {
      return true;
    }
  }
  return false;
}

bool fitsInt32(double value) {
  return std::isfinite(value) && value >= std::numeric_limits<std::int32_t>::min() &&
         value <= std::numeric_limits<std::int32_t>::max();
}

constexpr const char* kAxisNames[] = {"X", "Y", "Z"};

bool isBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::string withoutLeadingBlanks(const char* field) {
  while (*field == ' ') {
    ++field;
  }
  return field;
}

LineRole reject(InputLine& out, std::string reason) {
  out.rejected = true;
  out.reason = std::move(reason);
  return LineRole::kPoint;
}

// The validators read up to the terminator only, so the rest of the buffer is left as it is:
// clearing 8 KiB twice a line would cost more than reading the line.
void copyToRecord(const std::string& line, TextBuffer& record) {
  record[line.copy(record.data(), kMaxTextLength)] = '\0';
}

// The record validators cut their record in place, so each gets its own copy.
bool recordMatches(const std::string& line, const char* pattern) {
  TextBuffer record;
  copyToRecord(line, record);
  return verifyData(record.data(), pattern) == 1;
}

// Splits by the validators' rule: runs of tabs separate, empty fields vanish.
std::vector<std::string> tabFields(const std::string& line) {
  TextBuffer record;
  copyToRecord(line, record);
  std::vector<std::string> fields;
  char* cursor = record.data();
  while (const char* field = text::cutToken(cursor, '\t')) {
    fields.emplace_back(field);
  }
  return fields;
}

LineRole takePoint(const std::vector<std::string>& fields, bool mni, InputLine& out) {
  for (std::size_t axis = 0; axis < 3; ++axis) {
    out.given[axis] = withoutLeadingBlanks(fields[axis].c_str());
    out.givenValues[axis] = coordinateValue(fields[axis].c_str());
  }
  out.extra.assign(fields.begin() + 3, fields.end());
  out.mni = mni;
  const std::optional<Point3> point =
      mni ? talairachFromMni(out.givenValues) : roundToPoint(out.givenValues);
  if (!point) {
    return reject(out, "a coordinate is out of range");
  }
  out.point = *point;
  return LineRole::kPoint;
}

}  // namespace

CoordinateForm coordinateForm(const char* field) {
  if (!holdsDigit(field)) {
    return CoordinateForm::kNotANumber;
  }
  if (isInt(field) == 1) {
    return CoordinateForm::kInteger;
  }
  return isFloat(field) == 1 ? CoordinateForm::kDecimal : CoordinateForm::kNotANumber;
}

// strtod reads every text that isFloat passes, ".5" and "5." included; digits
// beyond a double's range become infinity, which no point fits.
double coordinateValue(const char* field) {
  return std::strtod(field, nullptr);
}

std::optional<Point3> roundToPoint(const Values3& values) {
  const imaging::Vec3 rounded = imaging::roundHalfUp(values);
  Point3 point{};
  for (std::size_t axis = 0; axis < point.size(); ++axis) {
    if (!fitsInt32(rounded[axis])) {
      return std::nullopt;
    }
    point[axis] = static_cast<std::int32_t>(rounded[axis]);
  }
  return point;
}

std::optional<Point3> talairachFromMni(const Values3& mni) {
  return roundToPoint(imaging::applyAffine(imaging::mniToTalairach(), mni));
}

namespace {

// The line ends before the limit or is cut there: then its rest decides only whether the whole
// line is blank.
LineRole readLineAsRead(const TextLine& read, std::size_t number, bool mni, bool headerPossible,
                        InputLine& out) {
  std::string_view line = read.text;
  if (!read.cut && !line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  if ((isBlank(line) && read.restBlank) || line.front() == '#') {
    return LineRole::kSkipped;
  }
  out = InputLine{};
  out.number = number;
  out.text = line;
  if (read.cut || line.size() > kMaxTextLength) {
    return reject(out, "the line is longer than 8191 characters");
  }
  const std::vector<std::string> fields = tabFields(out.text);
  if (fields.size() < 3) {
    return reject(out, "fewer than three tab-separated fields");
  }
  std::size_t numbers = 0;
  std::size_t firstNotNumber = fields.size();
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (coordinateForm(fields[axis].c_str()) != CoordinateForm::kNotANumber) {
      ++numbers;
    } else if (firstNotNumber == fields.size()) {
      firstNotNumber = axis;
    }
  }
  if (numbers == 0 && headerPossible) {
    return LineRole::kHeader;
  }
  if (firstNotNumber != fields.size()) {
    return reject(out, std::string(kAxisNames[firstNotNumber]) +
                           " is not a number: " + fields[firstNotNumber]);
  }
  out.rounded = !recordMatches(out.text, "iii");
  return takePoint(fields, mni, out);
}

}  // namespace

LineRole readLine(const std::string& line, std::size_t number, bool mni, bool headerPossible,
                  InputLine& out) {
  return readLineAsRead({line, false, true}, number, mni, headerPossible, out);
}

// Keeping one character past the limit tells a line at the limit from one beyond it.
PointTableReader::PointTableReader(std::istream& in, bool mni)
    : lines_(in, kMaxTextLength + 1), mni_(mni) {}

std::optional<LineRole> PointTableReader::next(InputLine& out) {
  while (lines_.next(line_)) {
    const LineRole role = readLineAsRead(line_, ++number_, mni_, headerPossible_, out);
    if (role != LineRole::kSkipped) {
      headerPossible_ = false;
      return role;
    }
  }
  return std::nullopt;
}

std::vector<InputLine> readTable(std::istream& in, bool mni) {
  std::vector<InputLine> table;
  PointTableReader reader(in, mni);
  InputLine line;
  while (const std::optional<LineRole> role = reader.next(line)) {
    if (*role == LineRole::kPoint) {
      table.push_back(std::move(line));
    }
  }
  return table;
}

}  // namespace tables
