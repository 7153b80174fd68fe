// Tests of point labelling on the real atlases: the unlabelled tier, and parcels beyond the brain.
#include "orvod/labeller.hpp"

#include <gtest/gtest.h>

#include "atlas_fixture.hpp"

namespace orvod {
namespace {

using Labelling = testing::AtlasTest;

TEST_F(Labelling, DescribesAnUnlabelledPointByItsNearestLabelAndItsIntensity) {
  const std::tuple<TalairachPoint, Source, const char*> cases[] = {
      // The frontal horn of the lateral ventricle, beside the right caudate.
      {{5, 6, 7}, Source::GreyAtlas, "Right Cerebrum,Sub-lobar,None,Cerebro-Spinal Fluid,None"},
      {{-43, -46, 1}, Source::WhiteAtlas, "Left Cerebrum,Sub-lobar,None,White Matter,None"},
      // Nothing labelled within 5 mm: the side comes from X alone.
      {{-43, -10, -41}, Source::None, "Left Cerebrum,None,None,Gray Matter,None"},
  };
  for (const auto& [point, source, text] : cases) {
    const TissueLabel label = labeller().tissueAt(point);
    EXPECT_EQ(label.tier, Tier::Unlabelled) << text;
    EXPECT_EQ(label.source, source) << text;
    EXPECT_EQ(labeller().describe(label), text);
  }
}

TEST_F(Labelling, NamesAParcelEvenWhereTheTissueAtlasesSeeNoBrain) {
  const TalairachPoint p{-67, -22, -11};
  EXPECT_EQ(labeller().tissueAt(p).tier, Tier::Outside);
  ASSERT_NE(labeller().parcelAt(p), 0);
  EXPECT_EQ(labeller().describeParcel(p, labeller().parcelAt(p)),
            "Left,Gyrus,Temporal Mid,G_Temporal_Mid-2");
}

TEST_F(Labelling, FindsNothingAtTheEndsOfTheCoordinateRange) {
  for (const TalairachPoint& p : {TalairachPoint{2147483647LL, 0, 0},
                                  TalairachPoint{-2147483648LL, -2147483648LL, -2147483648LL},
                                  TalairachPoint{0, 0, 2147483652LL}}) {
    EXPECT_EQ(labeller().tissueAt(p).tier, Tier::Outside);
    EXPECT_EQ(labeller().parcelAt(p), 0);
  }
}

}  // namespace
}  // namespace orvod
