// --figures and --report of point and table: a figure per point, a glass brain, and a page with
// one row per point linking to its figure.
#pragma once

#include "atlas/provenance_text.hpp"
#include "figures/figure_set.hpp"
#include "figures/point_figures.hpp"
#include "report/output_folders.hpp"

namespace report {

class PointsOutput {
 public:
  // Makes the folders at once. Throws std::runtime_error naming a folder that is a file or
  // cannot be made.
  PointsOutput(const figures::PictureOptions& pictures, ReportOptions report);

  bool wanted() const { return folders_.wanted(); }

  // Keeps a labelled point for its figure: a table's line, or the one point.
  void add(const vantrel_atlas::GivenPoint& given, const vantrel_atlas::PointAnswer& answer) {
    points_.add(given, answer);
  }

  // Draws every figure and writes the report. On failure, throws and takes back every file
  // it wrote.
  void finish(const vantrel_atlas::LoadedAtlases& atlases,
              const vantrel_atlas::RunProvenance& provenance);

 private:
  figures::Format format_;
  ReportOptions report_;
  OutputFolders folders_;
  figures::PointFigures points_;
};

}  // namespace report
