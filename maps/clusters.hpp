// Clusters of supra-threshold voxels in a statistical map, numbered, with their peaks.
#pragma once

#include <cstdint>
#include <vector>

#include "maps/stat_map.hpp"

namespace maps {

struct ClusterOptions {
  double threshold = 0;  // positive, finite; there is deliberately no default in the program
  bool twoSided = false;
  int connectivity = 26;  // 6, 18 or 26
  std::int64_t minVoxels = 1;
  double minVolumeMm3 = 0;  // a cluster is kept when it meets both minimums
  int maxPeaks = 3;
  double peakDistanceMm = 8.0;
};

struct Peak {
  std::int64_t voxel = 0;  // linear index, x fastest
  imaging::Vec3 world{};   // the voxel centre
  double value = 0;
};

struct Cluster {
  int number = 0;                    // 1 is the largest
  int sign = 1;                      // +1 for values >= T, -1 for values <= -T
  bool touchesEdge = false;          // a voxel on a face of the grid or beside a NaN voxel
  std::vector<std::int64_t> voxels;  // ascending
  std::vector<Peak> peaks;           // the first is the cluster's extreme voxel
};

struct ClusterReport {
  std::vector<Cluster> clusters;  // in number order
  std::int64_t nanVoxels = 0;     // no value: they join no cluster
  std::int64_t infVoxels = 0;     // beyond every threshold on their side

  bool hasFiniteVoxel(const StatMap& map) const {
    return nanVoxels + infVoxels < map.grid().voxelCount();
  }
};

// Throws std::invalid_argument for options outside their documented ranges.
void checkClusterOptions(const ClusterOptions& options);

ClusterReport findClusters(const StatMap& map, const ClusterOptions& options);

}  // namespace maps
