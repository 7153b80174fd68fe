// Tests of a grid's way from world points to voxels: halves round up on both sides of zero,
// far points land outside, and the integer path finds what the general one finds.
#include "imaging/grid.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace imaging {
namespace {

TEST(RoundHalfUp, SendsEveryHalfUpwardOnBothSidesOfZero) {
  EXPECT_EQ(roundHalfUp({0.5, -0.5, -1.5}), (Vec3{1, 0, -1}));
  EXPECT_EQ(roundHalfUp({2.4999, -2.5001, 7.0}), (Vec3{2, -3, 7}));
}

TEST(Grid, FindsTheNearestVoxelRoundingHalvesUp) {
  // 2 mm voxels with x running right to left, as radiological atlases store them.
  const Grid grid({4, 3, 2}, {{{-2, 0, 0, 10}, {0, 2, 0, -3}, {0, 0, 2, 1}}});
  struct Case {
    Vec3 world;
    Index3 voxel;
    bool inside;
  } cases[] = {
      {{10, -3, 1}, {0, 0, 0}, true},   {{4, 1, 3}, {3, 2, 1}, true},
      {{7, -3, 1}, {2, 0, 0}, true},   // half-way between voxels 1 and 2
      {{11, -3, 1}, {0, 0, 0}, true},  // half a voxel outside rounds in
      {{12, -3, 1}, {-1, 0, 0}, false}, {{2, -3, 1}, {4, 0, 0}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(grid.nearestVoxel(c.world), c.voxel) << c.world[0];
    EXPECT_EQ(grid.contains(c.voxel), c.inside) << c.world[0];
  }
  for (const double far : {1e300, -1e300, std::nan("")}) {
    EXPECT_FALSE(grid.contains(grid.nearestVoxel({far, 0, 0}))) << far;
  }
  EXPECT_EQ(grid.linearOf({3, 2, 1}), 23u);
  EXPECT_EQ(grid.voxelOfLinear(23), (Index3{3, 2, 1}));
}

// The integer path must be a faster route to the same voxel, on unit grids in any orientation
// and on grids it does not cover.
TEST(Grid, FindsTheVoxelOfAnIntegerPointAsTheGeneralPathDoes) {
  const Affine grids[] = {
      {{{-2, 0, 0, 10}, {0, 2, 0, -3}, {0, 0, 2, 1}}},
      {{{-1, 0, 0, 2}, {0, 1, 0, -1}, {0, 0, 1, 0}}},
      {{{0, 1, 0, 3}, {0, 0, -1, 1}, {1, 0, 0, -2}}},
      {{{1, 0, 0, 0.5}, {0, 1, 0, 0}, {0, 0, 1, 0}}},
  };
  for (const Affine& toWorld : grids) {
    const Grid grid({4, 3, 2}, toWorld);
    for (std::int64_t z = -12; z <= 12; ++z) {
      for (std::int64_t y = -12; y <= 12; ++y) {
        for (std::int64_t x = -12; x <= 12; ++x) {
          const Vec3 world{static_cast<double>(x), static_cast<double>(y), static_cast<double>(z)};
          ASSERT_EQ(grid.nearestVoxelOfIntegerPoint({x, y, z}), grid.nearestVoxel(world))
              << x << "," << y << "," << z;
        }
      }
    }
  }
}

}  // namespace
}  // namespace imaging
