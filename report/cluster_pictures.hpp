// --figures and --report for clusters: a figure per peak over the clusters in heat and cold
// colours, a glass brain of the whole map, and a page with the cluster and peak tables.
#pragma once

#include <optional>

#include "maps/clusters_report.hpp"
#include "atlas/labelling.hpp"
#include "atlas/provenance_report.hpp"
#include "report/point_pictures.hpp"
#include "tables/report_folder.hpp"

namespace vantrel_atlas {

class ClusterPictures {
 public:
  // Throws std::runtime_error naming a folder that is a file or cannot be made.
  explicit ClusterPictures(const PictureOptions& options);

  // Draws every figure and writes the report. On failure, throws and takes back every file
  // it wrote.
  void finish(const LoadedAtlases& atlases, const RunProvenance& provenance,
              const ClusterFindings& findings);

 private:
  PictureOptions options_;
  std::optional<report::ReportFolder> figures_, report_;
};

}  // namespace vantrel_atlas
