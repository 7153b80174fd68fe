// Tests of atlas loading, above all the white-matter atlas's left/right header correction.
#include "orvod/atlas_set.hpp"

#include <gtest/gtest.h>

#include "imaging/nifti_read.hpp"
#include "tests/orvod/labeller_fixture.hpp"

namespace orvod {
namespace {

using imaging::Affine;

const Affine kShipped{{{1, 0, 0, -91}, {0, 1, 0, -126}, {0, 0, 1, -72}}};

TEST(WhiteMatterOrientation, FlipsOnlyTheShippedHeader) {
  Affine shifted = kShipped, flipped = kShipped;
  shifted[0][3] = -90;
  flipped[0][0] = -1;
  for (const Affine& header : {kShipped, shifted, flipped}) {
    LabelVolume white(imaging::Grid({2, 2, 2}, header), std::vector<std::uint8_t>(8));
    EXPECT_EQ(correctWhiteMatterOrientation(white), header == kShipped);
    const Affine corrected{{{-1, 0, 0, 90}, {0, 1, 0, -126}, {0, 0, 1, -72}}};
    EXPECT_EQ(white.grid().voxelToWorld(), header == kShipped ? corrected : header);
  }
}

using RealAtlases = fixture::LabellerTest;

TEST_F(RealAtlases, NearlyAllLateralisedTractVoxelsLieOnTheirNamedSide) {
  const std::string stem = std::string(ATLAS_TEST_DATA_DIR) + "/JHU-WhiteMatter-labels-1mm.nii";
  LabelVolume white = imaging::readVolume<std::uint8_t>(stem + ".gz", {.labels = true});
  const LabelTable names = readLabelTable(stem + ".txt");
  ASSERT_TRUE(correctWhiteMatterOrientation(white));
  long onNamedSide = 0, lateralised = 0;
  // Every other millimetre is plenty for a proportion; odd x never hits the midline.
  for (std::int64_t z = -72; z <= 110; z += 2) {
    for (std::int64_t y = -126; y <= 92; y += 2) {
      for (std::int64_t x = -91; x <= 91; x += 2) {
        if (const auto side = sideFromSuffix(names[white.atIntegerPoint({x, y, z})].name)) {
          ++lateralised;
          onNamedSide += (*side == Side::Right) == (x > 0);
        }
      }
    }
  }
  ASSERT_GT(lateralised, 10000);
  EXPECT_GT(static_cast<double>(onNamedSide) / static_cast<double>(lateralised), 0.98);
}

}  // namespace
}  // namespace orvod
