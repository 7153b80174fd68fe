// Tests of a grid's way from world points to voxels.
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

// The integer path is a faster route to the same voxel, on unit grids and others.
TEST(Grid, FindsTheVoxelOfAnIntegerPointAsTheGeneralPathDoes) {
  const Affine grids[] = {
      {{{-2, 0, 0, 10}, {0, 2, 0, -3}, {0, 0, 2, 1}}},
      {{{-1, 0, 0, 2}, {0, 1, 0, -1}, {0, 0, 1, 0}}},
      {{{0, 1, 0, 3}, {0, 0, -1, 1}, {1, 0, 0, -2}}},
      {{{1, 0, 0, 0.5}, {0, 1, 0, 0}, {0, 0, 1, 0}}},
  };
  for (const Affine& toWorld : grids) {
    const Grid grid({4, 3, 2}, toWorld);
    for (std::int64_t k = 0; k < 25 * 25 * 25; ++k) {
      const Index3 point{k % 25 - 12, k / 25 % 25 - 12, k / 625 - 12};
      const Vec3 world{static_cast<double>(point[0]), static_cast<double>(point[1]),
                       static_cast<double>(point[2])};
      ASSERT_EQ(grid.nearestVoxelOfIntegerPoint(point), grid.nearestVoxel(world)) << k;
    }
  }
}

}  // namespace
}  // namespace imaging
