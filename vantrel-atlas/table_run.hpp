// Labelling a table as it streams in: a block of lines at a time, labelled on two threads,
// written in input order, so memory stays flat whatever the table's length.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <istream>

#include "atlas/labelling.hpp"
#include "atlas/point_answers.hpp"
#include "atlas/provenance_text.hpp"
#include "tables/run_summary.hpp"
#include "vantrel-atlas/commands.hpp"

namespace vantrel_atlas {

// Labelling in-process fails no point: a run counts labelled and rejected lines only.
using TableSummary = tables::RunCounts;

// Sees every labelled point, in input order, for figures drawn after the table.
using PointSink = std::function<void(const GivenPoint&, const PointAnswer&)>;

TableSummary labelTable(std::istream& in, std::FILE* out, const LoadedAtlases& atlases,
                        const RowOptions& options, const RunProvenance& provenance,
                        const PointSink& sink = {});

}  // namespace vantrel_atlas
