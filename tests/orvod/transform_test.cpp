// Tests of the affine helpers and the Talairach to MNI transform.
#include "orvod/transform.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orvod {
namespace {

TEST(TalairachToMni, ComposedWithThePublishedForwardMatrixIsTheIdentity) {
  const Affine identity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};
  const Affine there = compose(mniToTalairach(), talairachToMni());
  const Affine back = compose(talairachToMni(), mniToTalairach());
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      EXPECT_NEAR(there[row][col], identity[row][col], 1e-9) << row << "," << col;
      EXPECT_NEAR(back[row][col], identity[row][col], 1e-9) << row << "," << col;
    }
  }
}

TEST(TalairachToMni, MatchesTheInverseWorkedOutByHand) {
  const Affine expected{{
      {1.0686001818, -0.0039592069, 0.0082597110, 1.0781555391},
      {0.0064024990, 1.0574069703, 0.0856628126, 1.1682435324},
      {-0.0128114752, -0.0886318996, 1.1079213577, -4.1780494209},
  }};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      EXPECT_NEAR(talairachToMni()[row][col], expected[row][col], 1e-9) << row << "," << col;
    }
  }
}

TEST(TalairachToMni, MapsTheWorkedExamples) {
  struct Case {
    Vec3 talairach, mni, rounded;
  };
  const Case cases[] = {
      {{6, 7, 8}, {7.528, 9.294, 3.988}, {8, 9, 4}},
      {{5, 6, 7}, {6.455, 8.144, 2.982}, {6, 8, 3}},
      {{-40, -20, 50}, {-41.174, -15.953, 53.503}, {-41, -16, 54}},
  };
  for (const Case& c : cases) {
    const Vec3 mni = applyAffine(talairachToMni(), c.talairach);
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(mni[axis], c.mni[axis], 5e-4);
    }
    EXPECT_EQ(roundHalfUp(mni), c.rounded);
  }
}

TEST(RoundHalfUp, SendsEveryHalfUpwardOnBothSidesOfZero) {
  EXPECT_EQ(roundHalfUp({0.5, -0.5, -1.5}), (Vec3{1, 0, -1}));
  EXPECT_EQ(roundHalfUp({2.4999, -2.5001, 7.0}), (Vec3{2, -3, 7}));
}

TEST(Invert, UndoesAnAffineWithPermutedAxesAndTranslation) {
  const Affine a{{{0, 2, 0, 5}, {-1, 0, 0, -3}, {0, 0, 0.5, 7}}};
  const Vec3 p{1.25, -4, 9};
  const Vec3 back = applyAffine(invert(a), applyAffine(a, p));
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_NEAR(back[axis], p[axis], 1e-12);
  }
}

TEST(Invert, RefusesASingularAffine) {
  const Affine flat{{{1, 0, 0, 0}, {0, 1, 0, 0}, {1, 1, 0, 0}}};
  EXPECT_THROW(invert(flat), std::domain_error);
}

}  // namespace
}  // namespace orvod
