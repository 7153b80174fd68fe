// Tests of cluster finding: against a plain flood fill, and on blobs placed by hand.
#include "maps/clusters.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <stdexcept>
#include <tuple>

namespace maps {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Voxels of 2 mm unless told; voxel (0,0,0) sits at the world origin.
struct MapValues {
  MapValues(std::int64_t nx, std::int64_t ny, std::int64_t nz, imaging::Vec3 mm = {2, 2, 2})
      : grid({nx, ny, nz}, {{{mm[0], 0, 0, 0}, {0, mm[1], 0, 0}, {0, 0, mm[2], 0}}}),
        values(static_cast<std::size_t>(nx * ny * nz), 0.0) {}
  double& at(std::int64_t x, std::int64_t y, std::int64_t z) {
    return values[grid.linearOf({x, y, z})];
  }
  std::int64_t indexOf(std::int64_t x, std::int64_t y, std::int64_t z) const {
    return static_cast<std::int64_t>(grid.linearOf({x, y, z}));
  }
  StatMap map() const { return {imaging::Volume<double>(grid, values), {}}; }

  imaging::Grid grid;
  std::vector<double> values;
};

template <class Part>
auto eachCluster(const ClusterReport& report, Part part) {
  std::vector<decltype(part(report.clusters.front()))> parts;
  for (const Cluster& c : report.clusters)
    parts.push_back(part(c));
  return parts;
}

// The components a textbook breadth-first search finds, sorted. The neighbours of 6-, 18- and
// 26-connectivity lie at squared distances up to 1, 2 and 3.
std::vector<std::vector<std::int64_t>> referenceClusters(const StatMap& map,
                                                         const ClusterOptions& o) {
  const auto signOf = [&](std::int64_t v) {
    const double value = map[static_cast<std::size_t>(v)];
    return value >= o.threshold ? 1 : (o.twoSided && value <= -o.threshold) ? -1 : 0;
  };
  const std::int64_t nx = map.grid().size()[0], nxy = nx * map.grid().size()[1];
  std::set<std::int64_t> seen;
  std::vector<std::vector<std::int64_t>> clusters;
  for (std::int64_t seed = 0; seed < map.grid().voxelCount(); ++seed) {
    if (signOf(seed) == 0 || !seen.insert(seed).second) {
      continue;
    }
    std::vector<std::int64_t> members{seed};
    for (std::size_t n = 0; n < members.size(); ++n) {
      for (std::int64_t w = 0, v = members[n]; w < map.grid().voxelCount(); ++w) {
        const std::int64_t dx = std::llabs(w % nx - v % nx),
                           dy = std::llabs(w % nxy / nx - v % nxy / nx),
                           dz = std::llabs(w / nxy - v / nxy);
        if (std::max({dx, dy, dz}) == 1 && dx * dx + dy * dy + dz * dz <= o.connectivity / 10 + 1 &&
            signOf(w) == signOf(seed) && seen.insert(w).second) {
          members.push_back(w);
        }
      }
    }
    if (static_cast<std::int64_t>(members.size()) >= o.minVoxels) {
      std::sort(members.begin(), members.end());
      clusters.push_back(members);
    }
  }
  std::sort(clusters.begin(), clusters.end());
  return clusters;
}

TEST(Clusters, AgreeWithAPlainFloodFill) {
  MapValues values(9, 8, 7);
  unsigned state = 12345;
  for (double& v : values.values) {
    state = state * 1103515245u + 12345u;
    v = (state >> 8 & 0x3f) == 0 ? kNaN : static_cast<double>(state >> 16 & 0xff) / 32.0 - 4.0;
  }
  const StatMap map = values.map();
  const std::tuple<int, bool, std::int64_t> cases[] = {
      {6, false, 1}, {18, true, 1}, {26, true, 1}, {26, false, 3}, {6, true, 2}};
  for (const auto& [connectivity, twoSided, minVoxels] : cases) {
    const ClusterOptions options{.threshold = 2.5,
                                 .twoSided = twoSided,
                                 .connectivity = connectivity,
                                 .minVoxels = minVoxels};
    auto found = eachCluster(findClusters(map, options), [](const Cluster& c) { return c.voxels; });
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, referenceClusters(map, options)) << connectivity << twoSided << minVoxels;
  }
}

TEST(Clusters, TakeFurtherPeaksGreedilyOutsideThePeakDistance) {
  // Humps at x = 1, 4, 8 and 11 of a bar of 2 mm voxels.
  MapValues values(13, 1, 1);
  values.values = {5, 9, 5, 5, 8, 5, 5, 5, 7, 5, 5, 6, 5};
  const StatMap map = values.map();
  const std::tuple<double, int, std::vector<std::int64_t>> cases[] = {
      {8, 3, {1, 8}},     // 4 is 6 mm from 1, 11 is 6 mm from 8
      {6, 3, {1, 4, 8}},  // exactly 6 mm apart is not closer than 6 mm
      {6.1, 4, {1, 8}},  {0, 4, {1, 4, 8, 11}}, {0, 2, {1, 4}}, {30, 3, {1}},
  };
  for (const auto& [distance, maxPeaks, expected] : cases) {
    const ClusterReport report =
        findClusters(map, {.threshold = 4, .maxPeaks = maxPeaks, .peakDistanceMm = distance});
    ASSERT_EQ(report.clusters.size(), 1u);
    std::vector<std::int64_t> peaks;
    for (const Peak& p : report.clusters[0].peaks)
      peaks.push_back(p.voxel);
    EXPECT_EQ(peaks, expected) << distance << " mm, " << maxPeaks;
  }
}

TEST(Clusters, AreNumberedBySizeThenAbsolutePeakTakingInfinitiesAsBeyondEveryThreshold) {
  MapValues values(20, 1, 1);
  values.values = {0,     4,     kInf, 4,    0, 5,  kNaN, 6,  0, -4,
                   -kInf, -kInf, 0,    kInf, 0, -7, 0,    -3, 3, 2.9};
  const ClusterReport report = findClusters(values.map(), {.threshold = 3, .twoSided = true});
  EXPECT_EQ(report.nanVoxels, 1);
  EXPECT_EQ(report.infVoxels, 4);
  // Ties of size and absolute peak go to the lower first voxel: 1 before 9, 17 before 18.
  EXPECT_EQ(eachCluster(report, [](const Cluster& c) { return c.voxels; }),
            (std::vector<std::vector<std::int64_t>>{
                {1, 2, 3}, {9, 10, 11}, {13}, {15}, {7}, {5}, {17}, {18}}));
  EXPECT_EQ(
      eachCluster(report,
                  [](const Cluster& c) { return std::pair(c.peaks[0].voxel, c.peaks[0].value); }),
      (std::vector<std::pair<std::int64_t, double>>{
          {2, kInf}, {10, -kInf}, {13, kInf}, {15, -7}, {7, 6}, {5, 5}, {17, -3}, {18, 3}}));
  EXPECT_TRUE(report.hasFiniteVoxel(values.map()));
  values.values.assign(values.values.size(), kNaN);
  values.values[3] = kInf;
  EXPECT_FALSE(findClusters(values.map(), {.threshold = 3}).hasFiniteVoxel(values.map()));
}

TEST(Clusters, RefuseAThresholdThatIsNotPositiveAndFinite) {
  const StatMap map = MapValues(2, 1, 1).map();
  for (const double threshold : {0.0, -1.0, kNaN, kInf}) {
    EXPECT_THROW(findClusters(map, {.threshold = threshold}), std::invalid_argument) << threshold;
  }
}

TEST(Clusters, AreCutWhenTheyTouchAFaceOfTheGridOrANaN) {
  for (std::size_t axis = 0; axis < 3; ++axis) {
    for (const std::int64_t face : {0, 4}) {
      for (const double end : {5.0, kNaN}) {
        // A line from the centre towards the face, and two voxels alone one step off each face.
        MapValues values(5, 5, 5);
        for (const std::int64_t along : {std::int64_t{2}, (2 + face) / 2, face}) {
          imaging::Index3 at{2, 2, 2};
          at[axis] = along;
          values.values[values.grid.linearOf(at)] = along == face ? end : 5;
        }
        values.at(1, 1, 1) = values.at(3, 3, 3) = 6;
        const ClusterReport report =
            findClusters(values.map(), {.threshold = 3, .connectivity = 6});
        SCOPED_TRACE(testing::Message() << "axis " << axis << ", face " << face << ", " << end);
        ASSERT_EQ(report.clusters.size(), 3u);
        EXPECT_TRUE(report.clusters[0].touchesEdge);
        EXPECT_FALSE(report.clusters[1].touchesEdge || report.clusters[2].touchesEdge);
      }
    }
  }
}

TEST(Clusters, KeepThoseMeetingBothTheVoxelAndTheVolumeMinimum) {
  // Voxels of 31.5 mm3 in runs of 1, 2, 3 and 4.
  MapValues values(14, 1, 1, {3, 3, 3.5});
  values.values = {0, 5, 0, 5, 5, 0, 5, 5, 5, 0, 5, 5, 5, 5};
  const std::tuple<std::int64_t, double, std::vector<std::size_t>> cases[] = {
      {1, 0, {4, 3, 2, 1}}, {1, 63, {4, 3, 2}}, {1, 63.1, {4, 3}},
      {4, 63, {4}},         {1, 126, {4}},      {1, 126.1, {}}};
  for (const auto& [minVoxels, minVolume, sizes] : cases) {
    const ClusterReport report = findClusters(
        values.map(), {.threshold = 3, .minVoxels = minVoxels, .minVolumeMm3 = minVolume});
    EXPECT_EQ(eachCluster(report, [](const Cluster& c) { return c.voxels.size(); }), sizes)
        << minVoxels << " voxels, " << minVolume << " mm3";
  }
}

}  // namespace
}  // namespace maps
