// The output row of one input line, in TSV or as one JSON object per line.
#pragma once

#include <cstdint>
#include <string>

#include "tables/point_table.hpp"
#include "src/protocol/protocol.hpp"
#include "src/vantrel.hpp"

namespace vantrel::batch {

using atlas::InputLine;
using atlas::Point3;
using atlas::Values3;

struct Query {
  std::int32_t code = protocol::kLabelCode;
  std::int32_t cubesize = protocol::kDefaultCubesize;
  Point3 point{};
};

enum class OutputFormat { kTsv, kJson };

// A labelled point. In TSV: the rows of the printer's tabular layout, with the
// extra input fields after the first row and, before them, a comment line when
// the point was rounded or converted from MNI; a tab or line end inside the
// answer becomes a blank, so that it cannot split or join rows. In JSON: the
// answer as parseOrvoAnswer reads it. Cuts `answer` in place.
std::string answerRow(OutputFormat format, const InputLine& line, const Query& query,
                      TextBuffer& answer);

// A line that was rejected, or whose query failed for `reason`.
std::string rejectedRow(OutputFormat format, const InputLine& line);
std::string failedRow(OutputFormat format, const InputLine& line, const std::string& reason);

}  // namespace vantrel::batch
