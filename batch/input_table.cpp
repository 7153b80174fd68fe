// Parsing the input table: verifyData for integer lines, isFloat for decimal ones, a header once.
#include "batch/input_table.hpp"

#include "text/text.hpp"
#include "vantrel.hpp"

namespace vantrel::batch {

namespace {

constexpr const char* kAxisNames[] = {"X", "Y", "Z"};

bool isBlank(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
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

// The record validators cut their record in place, so each gets its own copy.
bool recordMatches(const std::string& line, const char* pattern) {
  TextBuffer record{};
  line.copy(record.data(), kMaxTextLength);
  return verifyData(record.data(), pattern) == 1;
}

// Splits by the validators' rule: runs of tabs separate, empty fields vanish.
std::vector<std::string> tabFields(const std::string& line) {
  TextBuffer record{};
  line.copy(record.data(), kMaxTextLength);
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

LineRole readLine(const std::string& rawLine, std::size_t number, bool mni, bool headerPossible,
                  InputLine& out) {
  std::string line = rawLine;
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  if (isBlank(line) || line.front() == '#') {
    return LineRole::kSkipped;
  }
  out = InputLine{};
  out.number = number;
  out.text = line;
  if (line.size() > kMaxTextLength) {
    return reject(out, "the line is longer than 8191 characters");
  }
  const std::vector<std::string> fields = tabFields(line);
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
  out.rounded = !recordMatches(line, "iii");
  return takePoint(fields, mni, out);
}

std::vector<InputLine> readTable(std::istream& in, bool mni) {
  std::vector<InputLine> table;
  std::string line;
  bool headerPossible = true;
  for (std::size_t number = 1; std::getline(in, line); ++number) {
    InputLine read;
    const LineRole role = readLine(line, number, mni, headerPossible, read);
    if (role != LineRole::kSkipped) {
      headerPossible = false;
    }
    if (role == LineRole::kPoint) {
      table.push_back(std::move(read));
    }
  }
  return table;
}

}  // namespace vantrel::batch
