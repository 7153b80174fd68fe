// The peaks of one cluster: its extreme voxel, then local extrema kept apart by a distance.
#pragma once

#include <cstdint>
#include <vector>

#include "atlas/stat_map.hpp"
#include "vantrel-atlas/clusters.hpp"
#include "vantrel-atlas/neighbourhood.hpp"

namespace vantrel_atlas {

// The cluster whose peaks are wanted: its voxels in ascending order, and the label they carry
// in `labels`, which tells a voxel of this cluster from any other.
struct ClusterVoxels {
  const std::vector<std::int64_t>& voxels;
  int sign;
  const std::vector<std::int32_t>& labels;
  std::int32_t label;
};

std::vector<Peak> findPeaks(const atlas::StatMap& map, const ClusterVoxels& cluster,
                            const Neighbourhood& neighbourhood, int maxPeaks,
                            double peakDistanceMm);

}  // namespace vantrel_atlas
