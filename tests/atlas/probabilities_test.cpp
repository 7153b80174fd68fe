#include "atlas/probabilities.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace atlas {
namespace {

// Three regions over four voxels, given as fractions or as percentages.
SparseProbabilities threeRegions(float unit) {
  SparseProbabilities atlas(4, 3);
  for (std::vector<float> volume : {std::vector<float>{0.2F, 0.0F, 0.5F, std::nanf("")},
                                    {0.6F, 0.0F, 0.5F, -0.1F},
                                    {0.2F, 0.0F, 0.25F, 0.0F}}) {
    std::ranges::for_each(volume, [unit](float& v) { v *= unit; });
    atlas.addVolume(std::span<const float>(volume));
  }
  atlas.finish();
  return atlas;
}

TEST(SparseProbabilities, RanksRegionsHighestFirstTiesToTheLowerInPercentWhateverTheUnit) {
  for (const float unit : {1.0F, 100.0F}) {
    const SparseProbabilities atlas = threeRegions(unit);
    const auto first = atlas.at(0);  // 20% twice: the lower region first
    ASSERT_EQ(first.size(), 3U) << unit;
    EXPECT_DOUBLE_EQ(first[0].percent(), 60.0);
    EXPECT_EQ(std::vector({first[0].region, first[1].region, first[2].region}),
              std::vector<std::uint16_t>({1, 0, 2}));
    EXPECT_TRUE(atlas.at(1).empty());
    EXPECT_TRUE(atlas.at(3).empty());  // NaN and negative values are no probability
    EXPECT_TRUE(atlas.at(4).empty());
    EXPECT_EQ(atlas.summaryLabels(), (std::vector<std::uint16_t>{2, 0, 1, 0}));
    EXPECT_DOUBLE_EQ(atlas.regionMass()[2], 45.0);
  }
}

TEST(SparseProbabilities, RanksAVoxelOfManyRegionsAsAVoxelOfFew) {
  for (const std::uint16_t regions : {5, 40}) {
    SparseProbabilities atlas(1, regions);
    std::vector<std::pair<int, std::uint16_t>> expected;  // minus the percent, for ascending order
    for (std::uint16_t region = 0; region < regions; ++region) {
      const std::uint8_t percent[] = {static_cast<std::uint8_t>(region * 7 % 5 + 2)};
      atlas.addVolume(std::span<const std::uint8_t>(percent));
      expected.emplace_back(-percent[0], region);
    }
    atlas.finish();
    std::sort(expected.begin(), expected.end());
    std::vector<std::pair<int, std::uint16_t>> ranked;
    for (const RegionProbability& p : atlas.at(0)) {
      ranked.emplace_back(-static_cast<int>(p.percent()), p.region);
    }
    EXPECT_EQ(ranked, expected) << regions;
  }
}

TEST(SparseProbabilities, RefusesAVolumeThatDoesNotFit) {
  SparseProbabilities atlas(2, 1);
  const std::vector<std::uint8_t> wrong(3, 1), right(2, 1);
  EXPECT_THROW(atlas.addVolume(std::span<const std::uint8_t>(wrong)), std::invalid_argument);
  atlas.addVolume(std::span<const std::uint8_t>(right));
  EXPECT_THROW(atlas.addVolume(std::span<const std::uint8_t>(right)), std::invalid_argument);
}

}  // namespace
}  // namespace atlas
