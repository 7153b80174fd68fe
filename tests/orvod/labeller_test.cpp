// Tests of point labelling on the real atlases: tiers, the side rule and the Quendel parcels.
#include "orvod/labeller.hpp"

#include <gtest/gtest.h>

#include "atlas_fixture.hpp"

namespace orvod {
namespace {

using Labelling = testing::AtlasTest;

TEST_F(Labelling, DescribesAnUnlabelledPointByItsNearestLabelAndItsIntensity) {
  // Frontal horn of the lateral ventricle, beside the right caudate.
  const TissueLabel label = labeller().tissueAt({5, 6, 7});
  EXPECT_EQ(label.tier, Tier::Unlabelled);
  EXPECT_EQ(label.source, Source::GreyAtlas);
  EXPECT_EQ(label.tissue, Tissue::Fluid);
  EXPECT_EQ(labeller().describe(label), "Right Cerebrum,Sub-lobar,None,Cerebro-Spinal Fluid,None");
}

TEST_F(Labelling, TakesHemisphereAndLobeFromANearbyTract) {
  const TissueLabel label = labeller().tissueAt({-43, -46, 1});
  EXPECT_EQ(label.tier, Tier::Unlabelled);
  EXPECT_EQ(label.source, Source::WhiteAtlas);
  EXPECT_EQ(labeller().describe(label), "Left Cerebrum,Sub-lobar,None,White Matter,None");
}

TEST_F(Labelling, FallsBackToTheSignOfXWhenNoLabelIsWithinFiveMillimetres) {
  const TissueLabel label = labeller().tissueAt({-43, -10, -41});
  EXPECT_EQ(label.tier, Tier::Unlabelled);
  EXPECT_EQ(label.source, Source::None);
  EXPECT_EQ(labeller().describe(label), "Left Cerebrum,None,None,Gray Matter,None");
}

TEST_F(Labelling, PutsBrainstemTractsInTheBrainstem) {
  EXPECT_EQ(labeller().describe(labeller().tissueAt({2, -46, -23})),
            "Right Brainstem,Brainstem,Cerebellar Peduncle,White Matter,"
            "Superior_cerebellar_peduncle_R");
}

TEST_F(Labelling, NamesAParcelEvenWhereTheTissueAtlasesSeeNoBrain) {
  const TalairachPoint p{-67, -22, -11};
  EXPECT_EQ(labeller().tissueAt(p).tier, Tier::Outside);
  const std::uint8_t parcel = labeller().parcelAt(p);
  ASSERT_NE(parcel, 0);
  EXPECT_EQ(labeller().describeParcel(p, parcel), "Left,Gyrus,Temporal Mid,G_Temporal_Mid-2");
}

TEST_F(Labelling, FindsNothingFarOutsideTheGrids) {
  for (const TalairachPoint& p : {TalairachPoint{2147483647LL, 0, 0},
                                  TalairachPoint{-2147483648LL, -2147483648LL, -2147483648LL},
                                  TalairachPoint{0, 0, 2147483652LL}}) {
    EXPECT_EQ(labeller().tissueAt(p).tier, Tier::Outside);
    EXPECT_EQ(labeller().parcelAt(p), 0);
  }
}

}  // namespace
}  // namespace orvod
