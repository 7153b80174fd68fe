// Labelling a table as it streams in: a block of lines at a time, labelled on two threads,
// written in input order, so memory stays flat whatever the table's length.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <istream>

#include "atlas/labelling.hpp"
#include "vantrel-atlas/commands.hpp"
#include "atlas/point_report.hpp"
#include "atlas/provenance_report.hpp"

namespace vantrel_atlas {

struct TableSummary {
  std::size_t labelled = 0;
  std::size_t rejected = 0;
};

// Sees every labelled point, in input order, for figures drawn after the table.
using PointSink = std::function<void(const GivenPoint&, const PointAnswer&)>;

TableSummary labelTable(std::istream& in, std::FILE* out, const LoadedAtlases& atlases,
                        const RowOptions& options, const RunProvenance& provenance,
                        const PointSink& sink = {});

// "vantrel-atlas: N labelled, M rejected\n"
std::string summaryLine(const TableSummary& summary);
int exitStatusFor(const TableSummary& summary);

}  // namespace vantrel_atlas
