// Output rows from the parsed answer: TSV in the printer's tabular layout, JSON through
// nlohmann::json.
#include "batch/row_format.hpp"

#include <nlohmann/json.hpp>
#include <string_view>

#include "src/answer/answer_parse.hpp"

namespace vantrel::batch {

namespace {

// Keys keep the order they are set in, so every row reads line, status, point first.
using json = nlohmann::ordered_json;
using tables::jsonLine;
using tables::lineNote;
using tables::TsvRow;

std::string spaced(const std::array<std::string, 3>& given) {
  return given[0] + ' ' + given[1] + ' ' + given[2];
}

std::string spaced(const Point3& point) {
  return std::to_string(point[0]) + ' ' + std::to_string(point[1]) + ' ' + std::to_string(point[2]);
}

// Comment lines keep the rows themselves exactly the printer's.
std::string conversionNote(const InputLine& line) {
  if (line.mni) {
    return lineNote(line.number,
                    "MNI " + spaced(line.given) + " is Talairach " + spaced(line.point));
  }
  if (line.rounded) {
    return lineNote(line.number, "rounded " + spaced(line.given) + " to " + spaced(line.point));
  }
  return {};
}

void addPointCells(TsvRow& row, const Point3& point) {
  for (const std::int32_t coordinate : point) {
    row.cell(std::to_string(coordinate));
  }
}

// The levels of a pair's label get a column each, as the printer's tabular layout has it.
void addLevelCells(TsvRow& row, std::string_view label) {
  for (std::size_t comma = label.find(','); comma != std::string_view::npos;
       comma = label.find(',')) {
    row.cell(label.substr(0, comma));
    label.remove_prefix(comma + 1);
  }
  row.cell(label);
}

// An answer without a field or a complete pair is the printer's bare line end; the extra
// fields follow an empty first cell.
std::string tsvRows(const Point3& point, const AnswerParse& parse,
                    const std::vector<std::string>& extra) {
  std::string rows;
  TsvRow row(rows);
  if (parse.kind != AnswerKind::kMessage && parse.count == 0) {
    if (!extra.empty()) {
      row.cell("").cells(extra);
    }
    row.end();
    return rows;
  }
  addPointCells(row, point);
  if (parse.kind == AnswerKind::kMessage) {
    row.cell(parse.message).cells(extra).end();
    return rows;
  }
  if (parse.kind == AnswerKind::kFields) {
    for (std::size_t i = 0; i < parse.count; ++i) {
      row.cell(parse.field(i));
    }
    row.cells(extra).end();
    return rows;
  }
  for (std::size_t i = 0; i < parse.count; ++i) {
    if (i > 0) {
      row.cell("").cell("").cell("");
    }
    row.cell(std::to_string(parse.pairs[i].count));
    addLevelCells(row, parse.label(i));
    if (i == 0) {
      row.cells(extra);
    }
    row.end();
  }
  return rows;
}

json xyz(double x, double y, double z) {
  return json{{"x", x}, {"y", y}, {"z", z}};
}

json pointObject(const InputLine& line, const char* status) {
  json object{{"line", line.number}, {"status", status}};
  object["point"] = {{"x", line.point[0]}, {"y", line.point[1]}, {"z", line.point[2]}};
  const Values3& v = line.givenValues;
  if (line.mni) {
    object["mni"] = xyz(v[0], v[1], v[2]);
  } else if (line.rounded) {
    object["rounded_from"] = xyz(v[0], v[1], v[2]);
  }
  return object;
}

void addExtraFields(json& object, const InputLine& line) {
  if (!line.extra.empty()) {
    object["extra"] = line.extra;
  }
}

void addAnswer(json& object, const AnswerParse& parse) {
  if (parse.kind == AnswerKind::kMessage) {
    object["message"] = parse.message;
  } else if (parse.kind == AnswerKind::kPairs) {
    json pairs = json::array();
    for (std::size_t i = 0; i < parse.count; ++i) {
      pairs.push_back({{"count", parse.pairs[i].count}, {"label", parse.label(i)}});
    }
    object["pairs"] = std::move(pairs);
  } else {
    json fields = json::array();
    for (std::size_t i = 0; i < parse.count; ++i) {
      fields.push_back(parse.field(i));
    }
    object["fields"] = std::move(fields);
  }
}

}  // namespace

std::string answerRow(OutputFormat format, const InputLine& line, const Query& query,
                      TextBuffer& answer) {
  AnswerParse parse;
  parseOrvoAnswer(query.code, answer, parse);
  if (format == OutputFormat::kTsv) {
    return conversionNote(line) + tsvRows(query.point, parse, line.extra);
  }
  json object = pointObject(line, "labelled");
  addAnswer(object, parse);
  addExtraFields(object, line);
  return jsonLine(object);
}

std::string failedRow(OutputFormat format, const InputLine& line, const std::string& reason) {
  if (format == OutputFormat::kTsv) {
    return conversionNote(line) +
           lineNote(line.number, "failed: " + spaced(line.point) + ": " + reason);
  }
  json object = pointObject(line, "failed");
  object["error"] = reason;
  addExtraFields(object, line);
  return jsonLine(object);
}

}  // namespace vantrel::batch
