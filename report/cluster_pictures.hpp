// --figures and --report for clusters: a figure per peak over the clusters in heat and cold
// colours, a glass brain of the whole map, and a page with the cluster and peak tables.
#pragma once

#include <optional>

#include "maps/cluster_tables.hpp"
#include "atlas/labelling.hpp"
#include "vantrel-atlas/options.hpp"
#include "atlas/provenance_text.hpp"
#include "tables/output_folder.hpp"

namespace vantrel_atlas {

class ClusterPictures {
 public:
  // Throws std::runtime_error naming a folder that is a file or cannot be made.
  explicit ClusterPictures(const Options& options);

  // Draws every figure and writes the report. On failure, throws and takes back every file
  // it wrote.
  void finish(const LoadedAtlases& atlases, const RunProvenance& provenance,
              const ClusterFindings& findings);

 private:
  const Options& options_;
  std::optional<tables::OutputFolder> figures_, report_;
};

}  // namespace vantrel_atlas
