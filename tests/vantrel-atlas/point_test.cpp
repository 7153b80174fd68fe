// Tests of vantrel-atlas point: the ways researchers write coordinates, and Talairach input
// through the built program.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "imaging/affine.hpp"
#include "imaging/talairach.hpp"
#include "tests/vantrel-atlas/atlas_program.hpp"
#include "vantrel-atlas/commands.hpp"

namespace vantrel_atlas::test {
namespace {

TEST(ParseCoordinates, TakesBlanksOrCommasBetweenPlainOrDecimalNumbers) {
  const std::pair<std::vector<std::string>, imaging::Vec3> cases[] = {
      {{"-38", "-22", "56"}, {-38, -22, 56}},
      {{"-38,", "-22,", "56"}, {-38, -22, 56}},
      {{"-38, -22, 56"}, {-38, -22, 56}},
      {{"-38,-22,56"}, {-38, -22, 56}},
      {{"-38", ",", "-22", ",56"}, {-38, -22, 56}},
      {{"10.5", "+3", "-.25"}, {10.5, 3, -0.25}},
      {{"1000000000", "-1000000000", "0"}, {1e9, -1e9, 0}},
  };
  for (const auto& [words, point] : cases) {
    EXPECT_EQ(parseCoordinates(words), point) << words[0];
  }
}

TEST(ParseCoordinates, RefusesWhatIsNotThreeNumbersWithinRange) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"-38", "-22"}, "expected three coordinates X Y Z, got 2"},
      {{"1", "2", "3", "4"}, "expected three coordinates X Y Z, got 4"},
      {{"1,,2"}, "expected three coordinates X Y Z, got 2"},
      {{"x", "2", "3"}, "coordinate 'x' is not a number"},
      {{"1", "NaN", "3"}, "coordinate 'NaN' is not a number"},
      {{"1", "2", "inf"}, "coordinate 'inf' is not a number"},
      {{"1e3", "2", "3"}, "coordinate '1e3' is not a number"},
      {{"1000000000.5", "2", "3"}, "coordinate '1000000000.5' is beyond +-1e9 mm"},
      {{"1", "-2000000000", "3"}, "coordinate '-2000000000' is beyond +-1e9 mm"},
  };
  for (const auto& [words, message] : cases) {
    try {
      parseCoordinates(words);
      ADD_FAILURE() << message;
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(error.what(), message);
    }
  }
}

TEST(PointCommand, AnswersTalairachInputAsItsExactMniConversion) {
  ATLAS_SKIP_WITHOUT_DATA();
  const imaging::Vec3 talairach{-36.6, -24.2, 52.3};
  const vantrel::kit::ProcessResult viaTalairach =
      runAtlas({"point", "--space", "talairach", "--within", "4", "--format", "json", "-36.6",
                "-24.2", "52.3"});
  ASSERT_EQ(viaTalairach.exitStatus, 0) << viaTalairach.err;
  const nlohmann::json answer = jsonRecords(viaTalairach.out).at(1);
  const imaging::Vec3 mni = imaging::applyAffine(imaging::talairachToMni(), talairach);
  EXPECT_EQ(answer["mni"], (nlohmann::json{{"x", mni[0]}, {"y", mni[1]}, {"z", mni[2]}}));
  char text[3][32];
  for (int i = 0; i < 3; ++i) {
    std::snprintf(text[i], sizeof text[i], "%.17g", mni[i]);
  }
  const vantrel::kit::ProcessResult viaMni =
      runAtlas({"point", "--within", "4", "--format", "json", text[0], text[1], text[2]});
  EXPECT_EQ(jsonRecords(viaMni.out).at(1)["labels"], answer["labels"]);
}

}  // namespace
}  // namespace vantrel_atlas::test
