// The peaks of one cluster: its extreme voxel, then local extrema kept apart by a distance.
#include "maps/peaks.hpp"

#include <algorithm>
#include <cmath>

namespace maps {
namespace {

// No neighbour within the cluster is more extreme; on a plateau every voxel qualifies, and
// the distance rule then keeps the first.
bool isLocalExtremum(const StatMap& map, const ClusterVoxels& cluster,
                     const Neighbourhood& neighbourhood, std::int64_t voxel) {
  const double own = cluster.sign * map[static_cast<std::size_t>(voxel)];
  bool extreme = true;
  neighbourhood.forEach(voxel, [&](std::int64_t other) {
    const auto at = static_cast<std::size_t>(other);
    if ((cluster.marks[at] & ~kClaimed) == cluster.side && cluster.sign * map[at] > own) {
      extreme = false;
    }
  });
  return extreme;
}

double distance(const imaging::Vec3& a, const imaging::Vec3& b) {
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

}  // namespace

std::vector<Peak> findPeaks(const StatMap& map, const ClusterVoxels& cluster,
                            const Neighbourhood& neighbourhood, int maxPeaks,
                            double peakDistanceMm) {
  std::vector<std::int64_t> candidates;
  for (std::int64_t voxel : cluster.voxels) {
    if (isLocalExtremum(map, cluster, neighbourhood, voxel)) {
      candidates.push_back(voxel);
    }
  }
  // Most extreme first; among equals the lowest index, which is the lowest z, then y, then x.
  // The cluster's extreme voxel is always a local extremum, so it comes first.
  const auto signedValue = [&](std::int64_t v) {
    return cluster.sign * map[static_cast<std::size_t>(v)];
  };
  std::stable_sort(candidates.begin(), candidates.end(),
                   [&](std::int64_t a, std::int64_t b) { return signedValue(a) > signedValue(b); });
  std::vector<Peak> peaks;
  for (std::int64_t voxel : candidates) {
    if (static_cast<int>(peaks.size()) >= maxPeaks) {
      break;
    }
    const imaging::Vec3 world = map.grid().worldOfLinear(voxel);
    const bool tooClose = std::any_of(peaks.begin(), peaks.end(), [&](const Peak& p) {
      return distance(p.world, world) < peakDistanceMm;
    });
    if (!tooClose) {
      peaks.push_back({voxel, world, map[static_cast<std::size_t>(voxel)]});
    }
  }
  return peaks;
}

}  // namespace maps
