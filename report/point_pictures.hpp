// --figures and --report for point and table: the folders are made before any labelling, so
// that a bad folder fails fast, and filled once every point is labelled.
#pragma once

#include <optional>
#include <vector>

#include "atlas/labelling.hpp"
#include "vantrel-atlas/options.hpp"
#include "figures/pictures.hpp"
#include "atlas/point_answers.hpp"
#include "atlas/provenance_text.hpp"
#include "tables/output_folder.hpp"

namespace vantrel_atlas {

class PointPictures {
 public:
  // Throws std::runtime_error naming a folder that is a file or cannot be made.
  explicit PointPictures(const Options& options);

  bool wanted() const { return figures_ || report_; }

  // Keeps a labelled point for its figure: a table's line, or the one point.
  void add(const GivenPoint& given, const PointAnswer& answer);

  // Draws every figure and writes the report. On failure, throws and takes back every file
  // it wrote.
  void finish(const LoadedAtlases& atlases, const RunProvenance& provenance);

 private:
  const Options& options_;
  std::optional<tables::OutputFolder> figures_, report_;
  std::vector<Subject> subjects_;
  std::vector<figures::Mark> marks_;
};

}  // namespace vantrel_atlas
