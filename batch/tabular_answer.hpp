// The daemon's answer in the printer's tabular layout, and read back from it for JSON.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "atlas/point_table.hpp"
#include "vantrel.hpp"

namespace vantrel::batch {

using atlas::Point3;

struct Query {
  std::int32_t code = 2;
  std::int32_t cubesize = 5;
  Point3 point{};
};

// printOrvoAnswer's tabular rows for `answer`, which it cuts in place.
std::string printTabular(const Query& query, TextBuffer& answer);

// What the printer showed of an answer: its fields, its count-label pairs in
// listing order, or the message of a starred answer, as printed.
struct AnswerView {
  std::vector<std::string> fields;
  std::vector<std::pair<int, std::string>> pairs;
  bool starred = false;
  std::string message;
};

// Reads the printer's tabular rows back, so that no second reader of answer
// texts exists: a field row is X, Y, Z and the fields; a pair row is X, Y, Z
// (blank after the first row), the count, and the label with tabs for its
// commas, which turn back into commas here.
AnswerView readTabularRows(std::string_view rows, bool pairAnswer, bool starred);

}  // namespace vantrel::batch
