// Clusters of supra-threshold voxels in a statistical map, numbered, with their peaks.
#include "maps/clusters.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "maps/neighbourhood.hpp"
#include "maps/peaks.hpp"

namespace maps {
namespace {

// Marks every voxel beyond the threshold with its side and counts the values that can join no
// cluster.
std::int64_t markSupraThreshold(const StatMap& map, const ClusterOptions& options,
                                std::vector<std::uint8_t>& marks) {
  std::int64_t nonFinite = 0;
  const double t = options.threshold;
  const std::vector<double>& values = map.volume.values();
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double v = values[i];
    if (!std::isfinite(v)) {
      ++nonFinite;
    } else if (v >= t) {
      marks[i] = kPositiveSide;
    } else if (options.twoSided && v <= -t) {
      marks[i] = kNegativeSide;
    }
  }
  return nonFinite;
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
  report.nonFiniteVoxels = markSupraThreshold(map, options, marks);

  const Neighbourhood neighbourhood(map.grid(), options.connectivity);
  for (std::size_t i = 0; i < marks.size(); ++i) {
    if (marks[i] == 0 || (marks[i] & kClaimed) != 0) {
      continue;
    }
    Cluster cluster;
    const std::uint8_t side = marks[i];
    cluster.sign = side == kPositiveSide ? 1 : -1;
    cluster.voxels = floodFrom(static_cast<std::int64_t>(i), neighbourhood, marks);
    if (static_cast<std::int64_t>(cluster.voxels.size()) < options.minVoxels) {
      continue;
    }
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
