// Tests of atlas loading, above all the white-matter atlas's left/right header correction.
#include "orvod/atlas.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "atlas_fixture.hpp"

namespace orvod {
namespace {

const Affine kShipped{{{1, 0, 0, -91}, {0, 1, 0, -126}, {0, 0, 1, -72}}};

LabelVolume blankVolume(const Affine& voxelToWorld) {
  return LabelVolume(2, 2, 2, static_cast<std::uint8_t*>(std::calloc(8, 1)), voxelToWorld);
}

TEST(WhiteMatterOrientation, FlipsTheShippedHeaderToRunRightToLeft) {
  LabelVolume white = blankVolume(kShipped);
  ASSERT_TRUE(correctWhiteMatterOrientation(white));
  const Affine expected{{{-1, 0, 0, 90}, {0, 1, 0, -126}, {0, 0, 1, -72}}};
  EXPECT_EQ(white.voxelToWorld(), expected);
}

TEST(WhiteMatterOrientation, LeavesEveryOtherHeaderAlone) {
  Affine shifted = kShipped;
  shifted[0][3] = -90;
  Affine alreadyFlipped = kShipped;
  alreadyFlipped[0][0] = -1;
  for (const Affine& header : {shifted, alreadyFlipped}) {
    LabelVolume white = blankVolume(header);
    EXPECT_FALSE(correctWhiteMatterOrientation(white));
    EXPECT_EQ(white.voxelToWorld(), header);
  }
}

TEST(LoadAtlasSet, NamesTheMissingFile) {
  try {
    loadAtlasSet("/nonexistent/atlases");
    FAIL() << "loading from a missing directory succeeded";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent/atlases/"), std::string::npos);
  }
}

using RealAtlases = testing::AtlasTest;

// With the header as shipped, every tract below would carry the other side's name.
TEST_F(RealAtlases, WhiteMatterTractsCarryTheNameOfTheirOwnSide) {
  const TalairachPoint rightPoints[] = {
      {16, 5, 12}, {25, -10, 25}, {30, -60, 10}, {20, -20, 5},
      {30, 0, 0},  {8, -20, -20}, {35, -20, 30},
  };
  for (const TalairachPoint& right : rightPoints) {
    for (const TalairachPoint& p : {right, TalairachPoint{-right.x, right.y, right.z}}) {
      const TissueLabel label = labeller().tissueAt(p);
      ASSERT_EQ(label.tier, Tier::WhiteMatter) << p.x << "," << p.y << "," << p.z;
      const std::string text = labeller().describe(label);
      EXPECT_TRUE(text.ends_with(p.x > 0 ? "_R" : "_L")) << text;
    }
  }
}

TEST_F(RealAtlases, NearlyAllLateralisedTractVoxelsLieOnTheirNamedSide) {
  LabelVolume white =
      readLabelVolume(std::string(ORVOD_TEST_DATA_DIR) + "/JHU-WhiteMatter-labels-1mm.nii.gz");
  const LabelTable names =
      readLabelTable(std::string(ORVOD_TEST_DATA_DIR) + "/JHU-WhiteMatter-labels-1mm.nii.txt");
  ASSERT_TRUE(correctWhiteMatterOrientation(white));
  long onNamedSide = 0, lateralised = 0;
  // Every other millimetre in each axis is plenty for a proportion.
  for (int z = -72; z <= 110; z += 2) {
    for (int y = -126; y <= 92; y += 2) {
      for (int x = -91; x <= 91; x += 2) {
        const auto side = sideFromSuffix(names[white.at({1.0 * x, 1.0 * y, 1.0 * z})].name);
        if (!side) {
          continue;
        }
        ++lateralised;
        onNamedSide += (*side == Side::Right) == (x > 0);
      }
    }
  }
  ASSERT_GT(lateralised, 10000);
  EXPECT_GT(static_cast<double>(onNamedSide) / static_cast<double>(lateralised), 0.98);
}

}  // namespace
}  // namespace orvod
