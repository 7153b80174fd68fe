// Output rows: TSV from the printer's tabular layout, JSON through nlohmann::json.
#include "batch/row_format.hpp"

#include <nlohmann/json.hpp>

namespace vantrel::batch {

namespace {

// Keys keep the order they are set in, so every row reads line, status, point first.
using json = nlohmann::ordered_json;

constexpr std::int32_t kPairCode = 3;

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

std::string withExtraFields(std::string rows, const std::vector<std::string>& extra) {
  std::string tail;
  for (const std::string& field : extra) {
    tail += '\t';
    tail += field;
  }
  const std::size_t end = rows.find('\n');
  rows.insert(end == std::string::npos ? rows.size() : end, tail);
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

void addAnswer(json& object, const AnswerView& view, bool pairAnswer) {
  if (view.starred) {
    object["message"] = view.message;
  } else if (pairAnswer) {
    json pairs = json::array();
    for (const auto& [count, label] : view.pairs) {
      pairs.push_back({{"count", count}, {"label", label}});
    }
    object["pairs"] = std::move(pairs);
  } else {
    object["fields"] = view.fields;
  }
}

}  // namespace

std::string answerRow(OutputFormat format, const InputLine& line, const Query& query,
                      TextBuffer& answer) {
  const bool starred = answer[0] == '*';
  const std::string rows = printTabular(query, answer);
  if (format == OutputFormat::kTsv) {
    return conversionNote(line) + withExtraFields(rows, line.extra);
  }
  const bool pairAnswer = query.code == kPairCode;
  json object = pointObject(line, "labelled");
  addAnswer(object, readTabularRows(rows, pairAnswer, starred), pairAnswer);
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
