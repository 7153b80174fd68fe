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

// A map's values on a grid of 2 mm voxels unless told, whose voxel (0,0,0) sits at the world
// origin.
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

// Each cluster's `part`, in the report's order.
template <class Part>
auto eachCluster(const ClusterReport& report, Part part) {
  std::vector<decltype(part(report.clusters.front()))> parts;
  for (const Cluster& c : report.clusters)
    parts.push_back(part(c));
  return parts;
}

// The components a textbook breadth-first search finds, each sorted, in sorted order. The
// neighbours of 6-, 18- and 26-connectivity lie at squared distances up to 1, 2 and 3.
std::vector<std::vector<std::int64_t>> referenceClusters(const StatMap& map, double t,
                                                         bool twoSided, int connectivity,
                                                         std::size_t minVoxels) {
  const auto signOf = [&](std::int64_t v) {
    const double value = map[static_cast<std::size_t>(v)];
    return value >= t ? 1 : (twoSided && value <= -t) ? -1 : 0;
  };
  const std::int64_t nx = map.grid().size()[0], nxy = nx * map.grid().size()[1];
  std::set<std::int64_t> seen;
  std::vector<std::vector<std::int64_t>> clusters;
  for (std::int64_t seed = 0; seed < map.grid().voxelCount(); ++seed) {
    std::vector<std::int64_t> members;
    if (signOf(seed) != 0 && seen.insert(seed).second) {
      members.push_back(seed);
    }
    for (std::size_t n = 0; n < members.size(); ++n) {
      const std::int64_t v = members[n];
      for (std::int64_t w = 0; w < map.grid().voxelCount(); ++w) {
        const std::int64_t dx = std::llabs(w % nx - v % nx),
                           dy = std::llabs(w % nxy / nx - v % nxy / nx),
                           dz = std::llabs(w / nxy - v / nxy);
        if (std::max({dx, dy, dz}) == 1 && dx * dx + dy * dy + dz * dz <= connectivity / 10 + 1 &&
            signOf(w) == signOf(seed) && seen.insert(w).second) {
          members.push_back(w);
        }
      }
    }
    if (!members.empty() && members.size() >= minVoxels) {
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
  std::int64_t nans = 0;
  for (double& v : values.values) {
    state = state * 1103515245u + 12345u;
    v = static_cast<double>(state >> 16 & 0xff) / 32.0 - 4.0;  // -4 to 4
    if ((state >> 8 & 0x3f) == 0) {
      v = kNaN;
      ++nans;
    }
  }
  struct Case {
    int connectivity;
    bool twoSided;
    std::int64_t minVoxels;
  } cases[] = {{6, false, 1}, {18, true, 1}, {26, true, 1}, {26, false, 3}, {6, true, 2}};
  const StatMap map = values.map();
  for (const Case& c : cases) {
    const ClusterReport report = findClusters(map, {.threshold = 2.5,
                                                    .twoSided = c.twoSided,
                                                    .connectivity = c.connectivity,
                                                    .minVoxels = c.minVoxels});
    auto found = eachCluster(report, [](const Cluster& cluster) { return cluster.voxels; });
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, referenceClusters(map, 2.5, c.twoSided, c.connectivity,
                                       static_cast<std::size_t>(c.minVoxels)))
        << c.connectivity << (c.twoSided ? " two-sided" : "") << " min " << c.minVoxels;
    EXPECT_EQ(report.nanVoxels, nans);
  }
}

TEST(Clusters, AreNumberedBySizeThenAbsolutePeakWithTheExtremeVoxelFirst) {
  MapValues values(20, 10, 10);
  const auto fill = [&](std::int64_t x0, std::int64_t y0, std::int64_t z0, std::int64_t edge,
                        double value) {
    for (std::int64_t z = z0; z < z0 + edge; ++z)
      for (std::int64_t y = y0; y < y0 + edge; ++y)
        for (std::int64_t x = x0; x < x0 + edge; ++x)
          values.at(x, y, z) = value;
  };
  fill(1, 1, 1, 3, 5);  // 27 voxels
  fill(8, 1, 1, 2, 3);  // 8 voxels, two equal maxima of 9
  values.at(9, 2, 2) = 9;
  values.at(8, 1, 2) = 9;
  fill(12, 5, 5, 2, -3);  // 8 voxels, the least -11
  values.at(13, 5, 6) = -11;
  values.at(17, 8, 8) = 4;   // 1 voxel
  values.at(1, 8, 8) = 2.9;  // below the threshold
  const ClusterReport report =
      findClusters(values.map(), {.threshold = 3, .twoSided = true, .maxPeaks = 1});
  // Each cluster's number, size, sign, first peak and its value.
  using Summary = std::tuple<int, std::size_t, int, std::int64_t, double>;
  EXPECT_EQ(eachCluster(report,
                        [](const Cluster& c) {
                          return Summary(c.number, c.voxels.size(), c.sign, c.peaks[0].voxel,
                                         c.peaks[0].value);
                        }),
            (std::vector<Summary>{{1, 27, 1, values.indexOf(1, 1, 1), 5},
                                  {2, 8, -1, values.indexOf(13, 5, 6), -11},
                                  {3, 8, 1, values.indexOf(8, 1, 2), 9},
                                  {4, 1, 1, values.indexOf(17, 8, 8), 4}}));
  EXPECT_EQ(report.clusters[1].peaks[0].world, (imaging::Vec3{26, 10, 12}));
}

TEST(Clusters, TakeFurtherPeaksGreedilyOutsideThePeakDistance) {
  // A bar along x on a 2 mm grid with humps at x = 1, 4, 8 and 11 (9, 8, 7 and 6).
  MapValues values(13, 1, 1);
  values.values = {5, 9, 5, 5, 8, 5, 5, 5, 7, 5, 5, 6, 5};
  const StatMap map = values.map();
  struct Case {
    double distance;
    int maxPeaks;
    std::vector<std::int64_t> peaks;
  } cases[] = {
      {8, 3, {1, 8}},     // 4 is 6 mm from 1, 11 is 6 mm from 8
      {6, 3, {1, 4, 8}},  // exactly 6 mm apart is not closer than 6 mm
      {6.1, 4, {1, 8}},  {0, 4, {1, 4, 8, 11}}, {0, 2, {1, 4}}, {30, 3, {1}},
  };
  for (const Case& c : cases) {
    const ClusterReport report =
        findClusters(map, {.threshold = 4, .maxPeaks = c.maxPeaks, .peakDistanceMm = c.distance});
    ASSERT_EQ(report.clusters.size(), 1u);
    std::vector<std::int64_t> peaks;
    for (const Peak& p : report.clusters[0].peaks)
      peaks.push_back(p.voxel);
    EXPECT_EQ(peaks, c.peaks) << c.distance << " mm, " << c.maxPeaks;
  }
}

TEST(Clusters, TakeInfinitiesAsBeyondEveryThresholdAndNaNAsNoValue) {
  // Along x through the middle of the grid: a positive run whose peak is +inf, a NaN splitting
  // the next run in two, and a negative run holding -inf inside.
  MapValues values(16, 3, 3);
  const double row[] = {0, 4, kInf, 4, 0, 5, kNaN, 6, 0, -4, -kInf, -5, 0, kInf, 0, 0};
  for (std::int64_t x = 0; x < 16; ++x)
    values.at(x, 1, 1) = row[x];
  const ClusterReport report =
      findClusters(values.map(), {.threshold = 3, .twoSided = true, .connectivity = 6});
  EXPECT_EQ(report.nanVoxels, 1);
  EXPECT_EQ(report.infVoxels, 3);
  // Each cluster's voxels and peak by x along the row, the peak's value, and whether it is cut.
  using Summary = std::tuple<std::vector<std::int64_t>, std::int64_t, double, bool>;
  const std::int64_t row0 = values.indexOf(0, 1, 1);
  EXPECT_EQ(eachCluster(report,
                        [&](const Cluster& c) {
                          std::vector<std::int64_t> xs;
                          for (const std::int64_t v : c.voxels)
                            xs.push_back(v - row0);
                          return Summary(xs, c.peaks.front().voxel - row0, c.peaks.front().value,
                                         c.touchesEdge);
                        }),
            (std::vector<Summary>{{{1, 2, 3}, 2, kInf, false},
                                  {{9, 10, 11}, 10, -kInf, false},
                                  {{13}, 13, kInf, false},
                                  {{7}, 7, 6, true},  // beside the NaN
                                  {{5}, 5, 5, true}}));
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
  EXPECT_NO_THROW(findClusters(map, {.threshold = 1e-9}));
}

TEST(Clusters, AreCutWhenTheyTouchAFaceOfTheGrid) {
  struct Case {
    const char* face;
    std::int64_t x, y, z;
  } cases[] = {{"x low", 0, 2, 2},  {"x high", 4, 2, 2}, {"y low", 2, 0, 2},
               {"y high", 2, 4, 2}, {"z low", 2, 2, 0},  {"z high", 2, 2, 4}};
  for (const Case& c : cases) {
    MapValues values(5, 5, 5);
    values.at(2, 2, 2) = 5;  // the centre, on no face, joined to the face voxel by one between
    values.at((2 + c.x) / 2, (2 + c.y) / 2, (2 + c.z) / 2) = 5;
    values.at(c.x, c.y, c.z) = 5;
    values.at(1, 1, 1) = 6;  // alone, inside: never cut
    const ClusterReport report = findClusters(values.map(), {.threshold = 3, .connectivity = 6});
    ASSERT_EQ(report.clusters.size(), 2u) << c.face;
    EXPECT_TRUE(report.clusters[0].touchesEdge) << c.face;
    EXPECT_FALSE(report.clusters[1].touchesEdge) << c.face;
  }
}

TEST(Clusters, KeepThoseMeetingBothTheVoxelAndTheVolumeMinimum) {
  // Voxels of 3x3x3.5 mm, 31.5 mm3: runs of 1, 2, 3 and 4 voxels along x.
  MapValues values(14, 1, 1, {3, 3, 3.5});
  values.values = {0, 5, 0, 5, 5, 0, 5, 5, 5, 0, 5, 5, 5, 5};
  struct Case {
    std::int64_t minVoxels;
    double minVolume;
    std::vector<std::size_t> sizes;
  } cases[] = {{1, 0, {4, 3, 2, 1}}, {1, 63, {4, 3, 2}}, {1, 63.1, {4, 3}},
               {4, 63, {4}},         {1, 126, {4}},      {1, 126.1, {}}};
  for (const Case& c : cases) {
    const ClusterReport report = findClusters(
        values.map(), {.threshold = 3, .minVoxels = c.minVoxels, .minVolumeMm3 = c.minVolume});
    EXPECT_EQ(eachCluster(report, [](const Cluster& cl) { return cl.voxels.size(); }), c.sizes)
        << c.minVoxels << " voxels, " << c.minVolume << " mm3";
  }
}

}  // namespace
}  // namespace maps
