// Tests of cluster composition in a hand-made probabilistic atlas whose grid is not the map's.
#include "maps/probabilistic_composition.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace maps {
namespace {

TEST(ProbabilisticComposition, AveragesOverTheClusterAndSharesOfEachRegionsMass) {
  // A row of four 2 mm atlas voxels centred at x = 0, 2, 4, 6, in percent per region; region 3
  // lies outside the cluster.
  constexpr std::uint8_t kPercent[4][4] = {
      {60, 40, 0, 0}, {20, 40, 80, 0}, {0, 0, 70, 0}, {0, 0, 0, 50}};
  const imaging::Grid atlasGrid({4, 1, 1}, {{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}}});
  auto probabilities = std::make_shared<atlas::SparseProbabilities>(4, 4);
  for (const auto& volume : kPercent) {
    probabilities->addVolume(std::span<const std::uint8_t>(volume));
  }
  probabilities->finish();
  const atlas::ProbabilisticAtlas atlas{
      {}, probabilities, {atlasGrid, probabilities->summaryLabels()}};
  // A 1 mm map whose cluster's centres x = 0..4 fall in atlas voxels 0, 1, 1, 2, 2 (halves up).
  const imaging::Grid mapGrid({8, 1, 1}, {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}});
  const StatMap map{imaging::Volume<double>(mapGrid, std::vector<double>(8)), {}};
  Cluster cluster;
  cluster.voxels = {0, 1, 2, 3, 4};
  // Sums 60+40+40 = 140, 20+40+40+80+80 = 260, 70+70 = 140: B first, then A and C in order.
  struct Expected {
    std::uint16_t region;
    double sum, mass;
  } expected[] = {{1, 260, 140}, {0, 140, 100}, {2, 140, 70}};
  const std::vector<RegionProbabilityShare> shares =
      probabilisticCompositionOf(cluster, map, atlas);
  ASSERT_EQ(shares.size(), std::size(expected));
  for (std::size_t n = 0; n < shares.size(); ++n) {
    EXPECT_EQ(shares[n].region, expected[n].region) << n;
    EXPECT_DOUBLE_EQ(shares[n].percentOfCluster, expected[n].sum / 5) << n;
    // The cluster's 1 mm3 voxels against the atlas's 8 mm3 ones.
    EXPECT_DOUBLE_EQ(shares[n].percentOfRegion, 100 * expected[n].sum / (8 * expected[n].mass))
        << n;
  }
}

}  // namespace
}  // namespace maps
