// Tests of cluster composition in a hand-made probabilistic atlas whose grid is not the map's.
#include "maps/probabilistic_composition.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace maps {
namespace {

// A 4x4x4 atlas of 2 mm voxels centred at (2i, 2j, 2k). Regions 0 to 2 vary with i alone;
// region 3 lies only where k is 3, away from the cluster.
constexpr std::uint8_t kPercent[4][4] = {
    {60, 40, 0, 0}, {20, 40, 80, 0}, {0, 0, 70, 0}, {0, 0, 0, 0}};

std::uint8_t percentAt(std::size_t region, std::size_t i, std::size_t k) {
  return region == 3 ? (k == 3 ? 50 : 0) : kPercent[region][i];
}

atlas::ProbabilisticAtlas fourRegions() {
  const imaging::Grid grid({4, 4, 4}, {{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}}});
  auto probabilities = std::make_shared<atlas::SparseProbabilities>(64, 4);
  for (std::size_t region = 0; region < 4; ++region) {
    std::vector<std::uint8_t> volume(64);
    for (std::size_t v = 0; v < volume.size(); ++v) {
      volume[v] = percentAt(region, v % 4, v / 16);
    }
    probabilities->addVolume(std::span<const std::uint8_t>(volume));
  }
  probabilities->finish();
  imaging::Volume<std::uint16_t> summary(grid, probabilities->summaryLabels());
  return {{{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}}, probabilities, summary};
}

TEST(ProbabilisticComposition, AveragesOverTheClusterAndSharesOfEachRegionsMass) {
  const atlas::ProbabilisticAtlas atlas = fourRegions();
  // A 1 mm map; its cluster is x 0..5, y 0..1, z 0, whose centres fall in atlas columns
  // i = 0, 1, 1, 2, 2, 3 (halves round up).
  const imaging::Grid mapGrid({8, 2, 1}, {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}});
  const StatMap map{imaging::Volume<double>(mapGrid, std::vector<double>(16)), {}};
  Cluster cluster;
  double sums[4] = {};
  for (std::int64_t y = 0; y < 2; ++y) {
    for (std::int64_t x = 0; x < 6; ++x) {
      cluster.voxels.push_back(x + 8 * y);
      for (std::size_t region = 0; region < 4; ++region) {
        sums[region] += percentAt(region, static_cast<std::size_t>(std::floor(x / 2.0 + 0.5)), 0);
      }
    }
  }
  // B holds the most; A and C hold the same, so A, the lower region, comes first; D none.
  const std::size_t order[] = {1, 0, 2};
  const std::vector<RegionProbabilityShare> shares =
      probabilisticCompositionOf(cluster, map, atlas);
  ASSERT_EQ(shares.size(), std::size(order));
  for (std::size_t n = 0; n < shares.size(); ++n) {
    const std::size_t region = order[n];
    double mass = 0;  // over the 16 atlas voxels of each column, in 8 mm3 voxels
    for (std::size_t i = 0; i < 4; ++i) {
      mass += 16.0 * percentAt(region, i, 0);
    }
    EXPECT_EQ(shares[n].region, region) << n;
    EXPECT_DOUBLE_EQ(shares[n].percentOfCluster, sums[region] / 12) << region;
    EXPECT_DOUBLE_EQ(shares[n].percentOfRegion, 100.0 * sums[region] / (mass * 8)) << region;
  }
}

}  // namespace
}  // namespace maps
