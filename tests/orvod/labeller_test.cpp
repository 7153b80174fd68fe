// Tests of the labeller on small atlases made for the purpose: the edges of the nearest-label
// search and of the cube's answer table.
#include "orvod/labeller.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "imaging/talairach.hpp"

namespace orvod {
namespace {

using imaging::Affine;
using imaging::Vec3;

using VoxelValue = std::function<std::uint8_t(std::int64_t i, std::int64_t j, std::int64_t k)>;

// A cube of `n` voxels a side, `mm` apart, its first voxel at `origin`.
LabelVolume cube(std::int64_t n, double mm, const Vec3& origin, const VoxelValue& value) {
  std::vector<std::uint8_t> voxels;
  for (std::int64_t k = 0; k < n; ++k) {
    for (std::int64_t j = 0; j < n; ++j) {
      for (std::int64_t i = 0; i < n; ++i) {
        voxels.push_back(value(i, j, k));
      }
    }
  }
  const Affine affine{{{mm, 0, 0, origin[0]}, {0, mm, 0, origin[1]}, {0, 0, mm, origin[2]}}};
  return LabelVolume(imaging::Grid({n, n, n}, affine), std::move(voxels));
}

// Brain everywhere on the grid, grey-matter label 1 where `grey` says, no white matter.
AtlasSet greyAtlases(std::int64_t n, double mm, const Vec3& origin, const VoxelValue& grey) {
  AtlasSet atlases;
  atlases.grey = cube(n, mm, origin, grey);
  atlases.greyNames[1] = {"Precentral_L", "2001"};
  atlases.white = cube(n, mm, origin, [](auto...) { return 0; });
  atlases.brain = cube(n, mm, origin, [](auto...) { return 80; });
  return atlases;
}

// An unlabelled point takes the label of a voxel 5 mm away, and of none farther.
TEST(Labeller, SearchesForTheNearestLabelOutToFiveMillimetres) {
  const TalairachPoint point{10, 20, 30};
  const Vec3 mni = imaging::roundHalfUp(imaging::applyAffine(imaging::talairachToMni(), {10, 20, 30}));
  struct Case {
    std::int64_t i, j, k;  // the labelled voxel; the point is voxel 5, 5, 5
    Source source;
  };
  for (const Case& c : {Case{10, 5, 5, Source::GreyAtlas}, Case{8, 9, 5, Source::GreyAtlas},
                        Case{5, 5, 0, Source::GreyAtlas}, Case{9, 8, 6, Source::None}}) {
    const Labeller labeller(greyAtlases(
        11, 1, {mni[0] - 5, mni[1] - 5, mni[2] - 5},
        [&](auto i, auto j, auto k) { return i == c.i && j == c.j && k == c.k ? 1 : 0; }));
    const TissueLabel label = labeller.tissueAt(point);
    EXPECT_EQ(label.tier, Tier::Unlabelled);
    EXPECT_EQ(label.source, c.source) << c.i << "," << c.j << "," << c.k;
  }
}

// With 2 mm voxels the points a millimetre below the grid round into it and those a
// millimetre above round out of it, so a cube that reads past an edge of its answer table
// counts a point that is not brain, or misses one that is.
TEST(Labeller, CountsAOnePointCubeWhereThePointIsBrainAtTheGridsEdges) {
  const Labeller labeller(greyAtlases(4, 2, {0, 0, 0}, [](auto...) { return 1; }));
  for (long long x = -4; x <= 12; ++x) {
    for (long long y = -4; y <= 12; ++y) {
      for (long long z = -4; z <= 12; ++z) {
        int counted = 0;
        for (const auto& [label, count] : labeller.countCube({x, y, z}, 0)) {
          counted += count;
        }
        ASSERT_EQ(counted, labeller.tissueAt({x, y, z}).tier == Tier::Outside ? 0 : 1)
            << x << "," << y << "," << z;
      }
    }
  }
}

}  // namespace
}  // namespace orvod
