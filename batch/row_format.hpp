// The output row of one input line, in TSV or as one JSON object per line.
#pragma once

#include <cstdint>
#include <string>

#include "src/protocol/protocol.hpp"
#include "src/vantrel.hpp"
#include "tables/point_table.hpp"
#include "tables/rows.hpp"

namespace vantrel::batch {

using tables::InputLine;
using tables::Point3;
using tables::Values3;
using OutputFormat = tables::RowFormat;

struct Query {
  std::int32_t code = protocol::kLabelCode;
  std::int32_t cubesize = protocol::kDefaultCubesize;
  Point3 point{};
};

// A labelled point. In TSV: the rows of the printer's tabular layout, with the
// extra input fields after the first row and, before them, a comment line when
// the point was rounded or converted from MNI. In JSON: the answer as
// parseOrvoAnswer reads it. Cuts `answer` in place.
std::string answerRow(OutputFormat format, const InputLine& line, const Query& query,
                      TextBuffer& answer);

// A line whose query failed for `reason`.
std::string failedRow(OutputFormat format, const InputLine& line, const std::string& reason);

}  // namespace vantrel::batch
