// Tests of cluster composition in a hand-made probabilistic atlas whose grid is not the map's.
#include "maps/probabilistic_composition.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace maps {
namespace {

TEST(ProbabilisticComposition, AveragesOverTheClusterAndSharesOfEachRegionsMass) {
  // A row of four 2 mm atlas voxels centred at x = 0, 2, 4, 6, in percent per region; region 3
  // lies outside the cluster.
  constexpr std::uint8_t kPercent[4][4] = {
      {60, 40, 0, 0}, {20, 40, 80, 0}, {0, 0, 70, 0}, {0, 0, 0, 50}};
  const imaging::Grid atlasGrid({4, 1, 1}, {{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}}});
  auto probabilities = std::make_shared<atlas::SparseProbabilities>(4, 4);
  for (const auto& volume : kPercent)
    probabilities->addVolume(std::span<const std::uint8_t>(volume));
  probabilities->finish();
  const atlas::ProbabilisticAtlas atlas{
      {}, probabilities, {atlasGrid, probabilities->summaryLabels()}};
  // A 1 mm map whose cluster's centres x = 0..4 fall in atlas voxels 0, 1, 1, 2, 2 (halves up).
  const imaging::Grid mapGrid({8, 1, 1}, {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}});
  const StatMap map{imaging::Volume<double>(mapGrid, std::vector<double>(8)), {}};
  Cluster cluster;
  cluster.voxels = {0, 1, 2, 3, 4};
  // Sums 60+40+40 = 140, 20+40+40+80+80 = 260, 70+70 = 140: B first, then A and C in order.
  // Each share of a region's mass weighs the cluster's 1 mm3 voxels against the atlas's 8 mm3.
  std::vector<std::tuple<std::uint16_t, double, double>> shares;
  for (const RegionProbabilityShare& s : probabilisticCompositionOf(cluster, map, atlas))
    shares.emplace_back(s.region, s.percentOfCluster, s.percentOfRegion);
  EXPECT_EQ(shares, (decltype(shares){{1, 260.0 / 5, 100 * 260.0 / (8 * 140)},
                                      {0, 140.0 / 5, 100 * 140.0 / (8 * 100)},
                                      {2, 140.0 / 5, 100 * 140.0 / (8 * 70)}}));
}

}  // namespace
}  // namespace maps
