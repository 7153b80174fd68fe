// --figures and --report of clusters: a figure per peak, a glass brain of the whole map, and a
// page with the cluster and peak tables, each cluster's composition under its row.
#pragma once

#include "figures/figure_set.hpp"
#include "maps/cluster_tables.hpp"
#include "report/output_folders.hpp"

namespace report {

class ClustersOutput {
 public:
  // Makes the folders at once. Throws std::runtime_error naming a folder that is a file or
  // cannot be made.
  ClustersOutput(const figures::PictureOptions& pictures, ReportOptions report);

  // Draws every figure and writes the report. On failure, throws and takes back every file
  // it wrote.
  void finish(const vantrel_atlas::LoadedAtlases& atlases,
              const vantrel_atlas::RunProvenance& provenance,
              const vantrel_atlas::ClusterFindings& findings);

 private:
  figures::Format format_;
  ReportOptions report_;
  OutputFolders folders_;
};

}  // namespace report
