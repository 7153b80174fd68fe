// Output rows from the parsed answer: TSV in the printer's tabular layout, JSON through
// nlohmann::json.
#include "batch/row_format.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "src/answer/answer_parse.hpp"

namespace vantrel::batch {

namespace {

// Keys keep the order they are set in, so every row reads line, status, point first.
using json = nlohmann::ordered_json;

// Bytes that are not UTF-8 (the input and the daemon may send any) become
// U+FFFD instead of making the row unwritable.
std::string jsonLine(const json& object) {
  return object.dump(-1, ' ', false, json::error_handler_t::replace) + '\n';
}

std::string spaced(const std::array<std::string, 3>& given) {
  return given[0] + ' ' + given[1] + ' ' + given[2];
}

std::string spaced(const Point3& point) {
  return std::to_string(point[0]) + ' ' + std::to_string(point[1]) + ' ' + std::to_string(point[2]);
}

std::string linePrefix(const InputLine& line) {
  return "# line " + std::to_string(line.number) + ": ";
}

// Comment lines keep the rows themselves exactly the printer's.
std::string conversionNote(const InputLine& line) {
  if (line.mni) {
    return linePrefix(line) + "MNI " + spaced(line.given) + " is Talairach " + spaced(line.point) +
           '\n';
  }
  if (line.rounded) {
    return linePrefix(line) + "rounded " + spaced(line.given) + " to " + spaced(line.point) + '\n';
  }
  return {};
}

// A tab or line end from the daemon would start a column or a row of its own.
std::string cell(const char* text) {
  std::string kept(text);
  std::replace_if(
      kept.begin(), kept.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
  return kept;
}

// The levels of a pair's label get a column each, as the printer's tabular layout has it.
std::string levelColumns(const char* label) {
  std::string columns = cell(label);
  std::replace(columns.begin(), columns.end(), ',', '\t');
  return columns;
}

std::string pointColumns(const Point3& point) {
  return std::to_string(point[0]) + '\t' + std::to_string(point[1]) + '\t' +
         std::to_string(point[2]) + '\t';
}

std::string extraColumns(const std::vector<std::string>& extra) {
  std::string columns;
  for (const std::string& field : extra) {
    columns += '\t';
    columns += field;
  }
  return columns;
}

// An answer without a field or a complete pair is the printer's bare line end.
std::string tsvRows(const Point3& point, const AnswerParse& parse, const std::string& extra) {
  if (parse.kind == AnswerKind::kMessage) {
    return pointColumns(point) + cell(parse.message) + extra + '\n';
  }
  if (parse.count == 0) {
    return extra + '\n';
  }
  std::string rows = pointColumns(point);
  for (std::size_t i = 0; i < parse.count; ++i) {
    if (parse.kind == AnswerKind::kFields) {
      rows += (i > 0 ? "\t" : "") + cell(parse.field(i));
    } else {
      rows += (i > 0 ? "\t\t\t" : "") + std::to_string(parse.pairs[i].count) + '\t' +
              levelColumns(parse.label(i)) + (i == 0 ? extra : "") + '\n';
    }
  }
  return parse.kind == AnswerKind::kFields ? rows + extra + '\n' : rows;
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
    return conversionNote(line) + tsvRows(query.point, parse, extraColumns(line.extra));
  }
  json object = pointObject(line, "labelled");
  addAnswer(object, parse);
  addExtraFields(object, line);
  return jsonLine(object);
}

std::string rejectedRow(OutputFormat format, const InputLine& line) {
  if (format == OutputFormat::kTsv) {
    return linePrefix(line) + "rejected: " + line.reason + '\n';
  }
  return jsonLine(
      {{"line", line.number}, {"status", "rejected"}, {"error", line.reason}, {"text", line.text}});
}

std::string failedRow(OutputFormat format, const InputLine& line, const std::string& reason) {
  if (format == OutputFormat::kTsv) {
    return conversionNote(line) + linePrefix(line) + "failed: " + spaced(line.point) + ": " +
           reason + '\n';
  }
  json object = pointObject(line, "failed");
  object["error"] = reason;
  addExtraFields(object, line);
  return jsonLine(object);
}

}  // namespace vantrel::batch
