// The peaks of one cluster: its extreme voxel, then local extrema kept apart by a distance.
#pragma once

#include <cstdint>
#include <vector>

#include "maps/clusters.hpp"
#include "maps/neighbourhood.hpp"
#include "maps/stat_map.hpp"

namespace maps {

// Which side of the threshold a voxel lies on, and whether a cluster has claimed it: one byte
// per voxel of the map.
inline constexpr std::uint8_t kPositiveSide = 1;
inline constexpr std::uint8_t kNegativeSide = 2;
inline constexpr std::uint8_t kClaimed = 4;

// The cluster whose peaks are wanted: its voxels in ascending order, with the marks of the
// whole map and its side. A neighbour on the same side is in the same cluster, since a cluster
// is all the voxels connected on its side.
struct ClusterVoxels {
  const std::vector<std::int64_t>& voxels;
  int sign;
  const std::vector<std::uint8_t>& marks;
  std::uint8_t side;
};

std::vector<Peak> findPeaks(const StatMap& map, const ClusterVoxels& cluster,
                            const Neighbourhood& neighbourhood, int maxPeaks,
                            double peakDistanceMm);

}  // namespace maps
