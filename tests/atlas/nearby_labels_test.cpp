// Tests of the nearest-label search and the within list on small grids made for the purpose:
// ties, grid edges, voxel sizes and the order of the list.
#include "atlas/nearby_labels.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace atlas {
namespace {

using Marks = std::vector<std::pair<VoxelIndex, std::uint16_t>>;

// An 11-voxel cube with labels 3 (index 1) and 7 (index 2) placed at the given voxels.
LabelAtlas cube(double voxelMm, const Marks& marks) {
  constexpr std::int64_t kSide = 11;
  std::vector<std::uint16_t> voxels(kSide * kSide * kSide);
  for (const auto& [v, index] : marks) {
    voxels[static_cast<std::size_t>(v[0] + kSide * (v[1] + kSide * v[2]))] = index;
  }
  const imaging::Grid grid({kSide, kSide, kSide},
                           {{{voxelMm, 0, 0, 0}, {0, voxelMm, 0, 0}, {0, 0, voxelMm, 0}}});
  return LabelAtlas(AtlasDescription(), imaging::Volume<std::uint16_t>(grid, std::move(voxels)),
                    {{3, "three"}, {7, "seven"}}, {});
}

TEST(NearbyLabels, FindsTheNearestWithTheLowestValueOnTiesWithAndWithoutTheMap) {
  const VoxelIndex mid{5, 5, 5};
  const std::optional<LabelDistance> none;
  const struct Case {
    const char* what;
    double voxelMm;
    Marks marks;
    VoxelIndex query;
    double radius;
    std::optional<LabelDistance> nearest;
  } cases[] = {
      {"on a label", 1, {{mid, 2}}, mid, 10, LabelDistance{2, 0}},
      {"tie, lower second", 1, {{{5, 5, 2}, 2}, {{5, 5, 8}, 1}}, mid, 10, LabelDistance{1, 3}},
      {"tie, lower first", 1, {{{5, 5, 2}, 1}, {{5, 5, 8}, 2}}, mid, 10, LabelDistance{1, 3}},
      {"diagonal tie", 1, {{{6, 6, 5}, 2}, {{4, 5, 4}, 1}}, mid, 10, LabelDistance{1, M_SQRT2}},
      {"nearer beats lower", 1, {{{5, 5, 1}, 1}, {{5, 5, 8}, 2}}, mid, 10, LabelDistance{2, 3}},
      {"at the radius", 1, {{{5, 5, 9}, 2}}, mid, 4, LabelDistance{2, 4}},
      {"beyond the radius", 1, {{{5, 5, 9}, 2}}, mid, 3.9, none},
      {"2 mm voxels", 2, {{{5, 7, 5}, 2}}, mid, 5, LabelDistance{2, 4}},
      {"outside the grid", 1, {{{0, 5, 5}, 2}}, {-3, 5, 5}, 10, LabelDistance{2, 3}},
      {"outside, beyond reach", 1, {{{0, 5, 5}, 2}}, {-11, 5, 5}, 10, none},
      {"nothing named", 1, {}, mid, 10, none},
  };
  for (const Case& c : cases) {
    const LabelAtlas atlas = cube(c.voxelMm, c.marks);
    for (const bool map : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (map ? " (map)" : ""));
      const auto got = NearbyLabels(atlas, 10, map).nearest(c.query, c.radius);
      ASSERT_EQ(got.has_value(), c.nearest.has_value());
      if (got) {
        EXPECT_EQ(got->index, c.nearest->index);
        EXPECT_NEAR(got->distanceMm, c.nearest->distanceMm, 1e-9);
      }
    }
  }
}

TEST(NearbyLabels, ListsEachLabelWithinOnceNearestFirstThenByValue) {
  const LabelAtlas atlas =
      cube(1, {{{5, 5, 3}, 2}, {{5, 5, 9}, 2}, {{5, 5, 7}, 1}, {{5, 9, 5}, 1}});
  for (const bool map : {false, true}) {
    const NearbyLabels search(atlas, 10, map);
    EXPECT_EQ(search.within({5, 5, 5}, 3), (std::vector<LabelDistance>{{1, 2}, {2, 2}}));
    EXPECT_EQ(search.within({5, 5, 6}, 3), (std::vector<LabelDistance>{{1, 1}, {2, 3}}));
    EXPECT_EQ(search.within({5, 5, 5}, 1.5), std::vector<LabelDistance>{});
  }
}

// Without the map the search's offsets must reach the constructor's radius along each axis.
TEST(NearbyLabels, ReachTheirWholeRadiusAlongEachAxisWithoutTheMap) {
  for (const VoxelIndex& label : {VoxelIndex{9, 5, 5}, VoxelIndex{1, 5, 5}, VoxelIndex{5, 9, 5},
                                  VoxelIndex{5, 1, 5}, VoxelIndex{5, 5, 9}, VoxelIndex{5, 5, 1}}) {
    SCOPED_TRACE(::testing::Message() << label[0] << "," << label[1] << "," << label[2]);
    const LabelAtlas atlas = cube(1, {{label, 2}});
    const NearbyLabels search(atlas, 4, false);
    EXPECT_EQ(search.nearest({5, 5, 5}, 4), (LabelDistance{2, 4}));
    EXPECT_EQ(search.within({5, 5, 5}, 4), (std::vector<LabelDistance>{{2, 4}}));
  }
}

}  // namespace
}  // namespace atlas
