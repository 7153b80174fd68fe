// Tests of the transform between MNI and Talairach space.
#include "imaging/talairach.hpp"

#include <gtest/gtest.h>

namespace imaging {
namespace {

using imaging::Affine;

void expectNear(const Affine& got, const Affine& expected, double tolerance) {
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      EXPECT_NEAR(got[row][col], expected[row][col], tolerance) << row << "," << col;
    }
  }
}

TEST(TalairachToMni, InvertsThePublishedForwardMatrix) {
  const Affine identity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};
  expectNear(imaging::compose(mniToTalairach(), talairachToMni()), identity, 1e-9);
  expectNear(imaging::compose(talairachToMni(), mniToTalairach()), identity, 1e-9);
  expectNear(talairachToMni(),
             {{{1.0686001818, -0.0039592069, 0.0082597110, 1.0781555391},
               {0.0064024990, 1.0574069703, 0.0856628126, 1.1682435324},
               {-0.0128114752, -0.0886318996, 1.1079213577, -4.1780494209}}},
             1e-9);
}

}  // namespace
}  // namespace imaging
