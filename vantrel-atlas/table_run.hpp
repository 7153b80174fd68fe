// Labelling a table as it streams in: a block of lines at a time, labelled on two threads,
// written in input order, so memory stays flat whatever the table's length.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <istream>
#include <memory>
#include <sstream>
#include <string>

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

// The start of a table, read before the atlases load so the run can tell a few points from
// many: a few are searched for one by one, as a point is, and many pay for the nearest-label
// maps. stream() then reads the whole table from its first byte.
class TablePeek {
 public:
  explicit TablePeek(std::istream& in);

  bool manyPoints() const { return manyPoints_; }
  std::istream& stream() { return *stream_; }

 private:
  class Rejoined;

  std::string head_;
  bool manyPoints_ = false;
  std::unique_ptr<std::streambuf> rejoined_;
  std::unique_ptr<std::istream> stream_;
};

TableSummary labelTable(std::istream& in, std::FILE* out, const LoadedAtlases& atlases,
                        const RowOptions& options, const RunProvenance& provenance,
                        const PointSink& sink = {});

}  // namespace vantrel_atlas
