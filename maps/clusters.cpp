// Clusters of supra-threshold voxels in a statistical map, numbered, with their peaks.
#include "maps/clusters.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "maps/neighbourhood.hpp"
#include "maps/peaks.hpp"

namespace maps {
namespace {

// Marks every voxel beyond the threshold with its side, and counts NaN and infinite voxels. An
// infinity compares beyond any finite threshold and NaN beyond none, so the common voxel, finite
// and below the threshold, costs no more than two comparisons and the NaN test.
void markSupraThreshold(const StatMap& map, const ClusterOptions& options,
                        std::vector<std::uint8_t>& marks, ClusterReport& report) {
  const double t = options.threshold;
  const std::vector<double>& values = map.volume.values();
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double v = values[i];
    if (v >= t) {
      marks[i] = kPositiveSide;
      report.infVoxels += std::isinf(v);
    } else if (v <= -t) {
      marks[i] = options.twoSided ? kNegativeSide : 0;
      report.infVoxels += std::isinf(v);
    } else if (std::isnan(v)) {
      ++report.nanVoxels;
    }
  }
}

// Whether the map may go on beyond the cluster: a voxel on a face of the grid, or with a NaN
// 6-neighbour (outside the data the map holds). Then its true extent and peak are unknown.
bool touchesEdge(const StatMap& map, const std::vector<std::int64_t>& voxels) {
  const std::array<std::int64_t, 3> size = map.grid().size();
  const std::array<std::int64_t, 3> step{1, size[0], size[0] * size[1]};
  for (const std::int64_t voxel : voxels) {
    const std::array<std::int64_t, 3> at{voxel % size[0], voxel / size[0] % size[1],
                                         voxel / step[2]};
    for (std::size_t axis = 0; axis < 3; ++axis) {
      if (at[axis] == 0 || at[axis] == size[axis] - 1 ||
          std::isnan(map[static_cast<std::size_t>(voxel - step[axis])]) ||
          std::isnan(map[static_cast<std::size_t>(voxel + step[axis])])) {
        return true;
      }
    }
  }
  return false;
}

// Extents read from float headers are rarely exact, so a cluster exactly at the minimum volume
// is kept despite rounding in the last digits.
bool meetsMinimums(std::size_t voxels, double voxelVolumeMm3, const ClusterOptions& options) {
  constexpr double kRelativeSlack = 1e-9;
  const auto count = static_cast<std::int64_t>(voxels);
  return count >= options.minVoxels &&
         static_cast<double>(count) * voxelVolumeMm3 >= options.minVolumeMm3 * (1 - kRelativeSlack);
}

// Claims every unclaimed voxel on the side of `seed` connected to it, returning them ascending.
std::vector<std::int64_t> floodFrom(std::int64_t seed, const Neighbourhood& neighbourhood,
                                    std::vector<std::uint8_t>& marks) {
  const std::uint8_t side = marks[static_cast<std::size_t>(seed)];
  std::vector<std::int64_t> voxels{seed};
  marks[static_cast<std::size_t>(seed)] |= kClaimed;
  for (std::size_t next = 0; next < voxels.size(); ++next) {
    neighbourhood.forEach(voxels[next], [&](std::int64_t other) {
      auto& mark = marks[static_cast<std::size_t>(other)];
      if (mark == side) {
        mark |= kClaimed;
        voxels.push_back(other);
      }
    });
  }
  std::sort(voxels.begin(), voxels.end());
  return voxels;
}

// Largest first, then the greater absolute peak; then the lowest first voxel, so that the
// order never depends on the sort.
bool numberedBefore(const Cluster& a, const Cluster& b) {
  if (a.voxels.size() != b.voxels.size()) {
    return a.voxels.size() > b.voxels.size();
  }
  const double peakA = std::abs(a.peaks.front().value), peakB = std::abs(b.peaks.front().value);
  if (peakA != peakB) {
    return peakA > peakB;
  }
  return a.voxels.front() < b.voxels.front();
}

}  // namespace

void checkClusterOptions(const ClusterOptions& options) {
  if (!std::isfinite(options.threshold) || options.threshold <= 0) {
    throw std::invalid_argument("the threshold must be a positive finite number");
  }
  if (options.connectivity != 6 && options.connectivity != 18 && options.connectivity != 26) {
    throw std::invalid_argument("the connectivity must be 6, 18 or 26");
  }
  if (options.minVoxels < 1) {
    throw std::invalid_argument("the minimum cluster size must be at least 1 voxel");
  }
  if (!std::isfinite(options.minVolumeMm3) || options.minVolumeMm3 < 0) {
    throw std::invalid_argument(
        "the minimum cluster volume must be a finite number of mm3, 0 or more");
  }
  if (options.maxPeaks < 1) {
    throw std::invalid_argument("at least one peak per cluster must be asked for");
  }
  if (!std::isfinite(options.peakDistanceMm) || options.peakDistanceMm < 0) {
    throw std::invalid_argument("the peak distance must be a finite number of mm, 0 or more");
  }
}

ClusterReport findClusters(const StatMap& map, const ClusterOptions& options) {
  checkClusterOptions(options);
  ClusterReport report;
  // One byte per voxel: a dense label array of ints would be four times the size.
  std::vector<std::uint8_t> marks(map.volume.values().size(), 0);
  markSupraThreshold(map, options, marks, report);
  const double voxelVolume = map.grid().voxelVolumeMm3();

  const Neighbourhood neighbourhood(map.grid(), options.connectivity);
  for (std::size_t i = 0; i < marks.size(); ++i) {
    if (marks[i] == 0 || (marks[i] & kClaimed) != 0) {
      continue;
    }
    Cluster cluster;
    const std::uint8_t side = marks[i];
    cluster.sign = side == kPositiveSide ? 1 : -1;
    cluster.voxels = floodFrom(static_cast<std::int64_t>(i), neighbourhood, marks);
    if (!meetsMinimums(cluster.voxels.size(), voxelVolume, options)) {
      continue;
    }
    cluster.touchesEdge = touchesEdge(map, cluster.voxels);
    cluster.peaks = findPeaks(map, {cluster.voxels, cluster.sign, marks, side}, neighbourhood,
                              options.maxPeaks, options.peakDistanceMm);
    report.clusters.push_back(std::move(cluster));
  }

  std::sort(report.clusters.begin(), report.clusters.end(), numberedBefore);
  for (std::size_t n = 0; n < report.clusters.size(); ++n) {
    report.clusters[n].number = static_cast<int>(n + 1);
  }
  return report;
}

}  // namespace maps
