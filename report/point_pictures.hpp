// --figures and --report for point and table: the folders are made before any labelling, so
// that a bad folder fails fast, and filled once every point is labelled.
#pragma once

#include <optional>
#include <vector>

#include "atlas/labelling.hpp"
#include "figures/pictures.hpp"
#include "atlas/point_report.hpp"
#include "atlas/provenance_report.hpp"
#include "tables/report_folder.hpp"

namespace vantrel_atlas {

// What --figures and --report ask for, and what a report says of its run.
struct PictureOptions {
  std::string figuresDir;  // empty: no figures
  std::string reportDir;   // empty: no report
  std::string figureFormat = "png";
  std::string dataDirectory;
  std::string commandLine;  // as typed
  std::string input;        // the table read; empty for one point
};

class PointPictures {
 public:
  // Throws std::runtime_error naming a folder that is a file or cannot be made.
  explicit PointPictures(const PictureOptions& options);

  bool wanted() const { return figures_ || report_; }

  // Keeps a labelled point for its figure: a table's line, or the one point.
  void add(const GivenPoint& given, const PointAnswer& answer);

  // Draws every figure and writes the report. On failure, throws and takes back every file
  // it wrote.
  void finish(const LoadedAtlases& atlases, const RunProvenance& provenance);

 private:
  PictureOptions options_;
  std::optional<report::ReportFolder> figures_, report_;
  std::vector<Subject> subjects_;
  std::vector<figures::Mark> marks_;
};

}  // namespace vantrel_atlas
