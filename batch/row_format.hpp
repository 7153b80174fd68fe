// The output row of one input line, in TSV or as one JSON object per line.
#pragma once

#include <string>

#include "atlas/point_table.hpp"
#include "batch/tabular_answer.hpp"
#include "vantrel.hpp"

namespace vantrel::batch {

using atlas::InputLine;
using atlas::Values3;

enum class OutputFormat { kTsv, kJson };

// A labelled point: the printer's tabular rows with the extra input fields
// after the first row; in TSV a comment line before them says when the point
// was rounded or converted from MNI. Cuts `answer` in place.
std::string answerRow(OutputFormat format, const InputLine& line, const Query& query,
                      TextBuffer& answer);

// A line that was rejected, or whose query failed for `reason`.
std::string rejectedRow(OutputFormat format, const InputLine& line);
std::string failedRow(OutputFormat format, const InputLine& line, const std::string& reason);

}  // namespace vantrel::batch
