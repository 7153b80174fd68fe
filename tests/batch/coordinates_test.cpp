// Tests of coordinate fields, rounding half up, and MNI to Talairach against published values.
#include "batch/coordinates.hpp"

#include <gtest/gtest.h>

namespace vantrel::batch {
namespace {

TEST(CoordinateForm, TellsIntegersDecimalsAndNonNumbersApart) {
  struct Case {
    const char* field;
    CoordinateForm form;
  };
  const Case cases[] = {
      {"12", CoordinateForm::kInteger},     {"-7", CoordinateForm::kInteger},
      {"  +3", CoordinateForm::kInteger},   {"10.4", CoordinateForm::kDecimal},
      {"-.5", CoordinateForm::kDecimal},    {"3.", CoordinateForm::kDecimal},
      {"-", CoordinateForm::kNotANumber},   {".", CoordinateForm::kNotANumber},
      {"+.", CoordinateForm::kNotANumber},  {"1e5", CoordinateForm::kNotANumber},
      {"1,5", CoordinateForm::kNotANumber}, {"12 ", CoordinateForm::kNotANumber},
      {"x", CoordinateForm::kNotANumber},   {"", CoordinateForm::kNotANumber},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(coordinateForm(c.field), c.form) << '"' << c.field << '"';
  }
}

TEST(RoundToPoint, RoundsHalvesUpOnBothSidesOfZeroAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(roundToPoint({2.5, -2.5, -0.5}), (Point3{3, -2, 0}));
  EXPECT_EQ(roundToPoint({10.49, -20.51, 7}), (Point3{10, -21, 7}));
  EXPECT_EQ(roundToPoint({2147483647.4, 0, 0}), (Point3{2147483647, 0, 0}));
  EXPECT_EQ(roundToPoint({2147483647.5, 0, 0}), std::nullopt);
  EXPECT_EQ(roundToPoint({0, coordinateValue(std::string(400, '9').c_str()), 0}), std::nullopt);
}

// The MNI points are the ones orvod computes from these Talairach points with
// the inverse of the published pooled matrix; MNI 0,0,0 lands on that matrix's
// translation column (-1.0423, -1.3940, 3.6475).
TEST(TalairachFromMni, MatchesThePublishedPooledTransform) {
  struct Case {
    Values3 mni;
    Point3 talairach;
  };
  const Case cases[] = {
      {{7.528, 9.294, 3.988}, {6, 7, 8}},
      {{6.455, 8.144, 2.982}, {5, 6, 7}},
      {{-41.174, -15.953, 53.503}, {-40, -20, 50}},
      {{0, 0, 0}, {-1, -1, 4}},
      {{108, 116, 96}, {100, 100, 100}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(talairachFromMni(c.mni), c.talairach) << c.mni[0] << ',' << c.mni[1];
  }
}

}  // namespace
}  // namespace vantrel::batch
