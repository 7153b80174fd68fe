// Tests of the Talairach to MNI transform and its rounding; volume_test covers the inverse of
// other affines.
#include "imaging/affine.hpp"

#include <gtest/gtest.h>

namespace atlas {
namespace {

void expectNear(const Affine& got, const Affine& expected, double tolerance) {
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      EXPECT_NEAR(got[row][col], expected[row][col], tolerance) << row << "," << col;
    }
  }
}

TEST(TalairachToMni, InvertsThePublishedForwardMatrix) {
  const Affine identity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};
  expectNear(compose(mniToTalairach(), talairachToMni()), identity, 1e-9);
  expectNear(compose(talairachToMni(), mniToTalairach()), identity, 1e-9);
  expectNear(talairachToMni(),
             {{{1.0686001818, -0.0039592069, 0.0082597110, 1.0781555391},
               {0.0064024990, 1.0574069703, 0.0856628126, 1.1682435324},
               {-0.0128114752, -0.0886318996, 1.1079213577, -4.1780494209}}},
             1e-9);
}

TEST(RoundHalfUp, SendsEveryHalfUpwardOnBothSidesOfZero) {
  EXPECT_EQ(roundHalfUp({0.5, -0.5, -1.5}), (Vec3{1, 0, -1}));
  EXPECT_EQ(roundHalfUp({2.4999, -2.5001, 7.0}), (Vec3{2, -3, 7}));
}

}  // namespace
}  // namespace atlas
