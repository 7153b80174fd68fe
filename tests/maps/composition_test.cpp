// Tests of cluster composition on a hand-made atlas whose grid is not the map's.
#include "maps/composition.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace maps {
namespace {

TEST(Composition, CountsMapVoxelCentresInTheAtlasRegionsTheyFallIn) {
  // A 4x4x4 atlas of 2 mm voxels centred at (2i, 2j, 2k): label 1 where i is 0 or 1, label 2
  // where i is 2, nothing where i is 3.
  std::vector<std::uint16_t> voxels(64);
  for (std::size_t v = 0; v < voxels.size(); ++v)
    voxels[v] = v % 4 < 2 ? 1 : v % 4 == 2 ? 2 : 0;
  atlas::AtlasProvenance provenance;
  provenance.labels = 2;
  const imaging::Grid atlasGrid({4, 4, 4}, {{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}}});
  const atlas::LabelAtlas labels(atlas::AtlasDescription(),
                                 imaging::Volume<std::uint16_t>(atlasGrid, voxels),
                                 {{1, "A"}, {2, "B"}}, provenance);
  // A 1 mm map; its cluster is x 0..5 at y 0 and x 5 at y 1. Centres x = 0, 1, 2 fall in A, 3
  // and 4 in B (halves round up), 5 in nothing: B ties with the unlabelled, which go last.
  const imaging::Grid mapGrid({8, 2, 1}, {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}});
  const StatMap map{imaging::Volume<double>(mapGrid, std::vector<double>(16)), {}};
  Cluster cluster;
  cluster.voxels = {0, 1, 2, 3, 4, 5, 13};
  std::vector<std::tuple<std::uint16_t, std::int64_t, double, double>> shares;
  for (const RegionShare& s : compositionOf(cluster, map, labels, regionVolumesOf(labels)))
    shares.emplace_back(s.index, s.voxels, s.percentOfCluster, s.percentOfRegion);
  EXPECT_EQ(shares, (decltype(shares){{1, 3, 100.0 * 3 / 7, 100.0 * 3 / (32 * 8)},
                                      {2, 2, 100.0 * 2 / 7, 100.0 * 2 / (16 * 8)},
                                      {0, 2, 100.0 * 2 / 7, 0}}));
}

}  // namespace
}  // namespace maps
