// Tests of a point's probabilities as text and JSON: rounding and which index is written.
#include "atlas/probability_text.hpp"

#include <gtest/gtest.h>

namespace atlas {
namespace {

TEST(ProbabilityText, RoundsHalvesUpAndWritesTheAtlasIndexNotThePosition) {
  const Regions regions = {{3, "Frontal Pole"}, {6, "Precentral Gyrus"}, {9, "Insula"}};
  const RegionProbability ranked[] = {{1, 4750}, {0, 2349}, {2, 45}};
  EXPECT_EQ(probabilitiesText(ranked, regions),
            "48% Precentral Gyrus; 23% Frontal Pole; 0% Insula");
  EXPECT_EQ(probabilitiesJson(ranked, regions).dump(),
            R"([{"label":"Precentral Gyrus","value":6,"percent":47.5},)"
            R"({"label":"Frontal Pole","value":3,"percent":23.5},)"
            R"({"label":"Insula","value":9,"percent":0.5}])");
  EXPECT_EQ(probabilitiesText({}, regions), "");
  EXPECT_EQ(probabilitiesJson({}, regions).dump(), "[]");
}

}  // namespace
}  // namespace atlas
