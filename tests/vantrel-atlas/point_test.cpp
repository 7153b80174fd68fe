// Tests of vantrel-atlas point: the ways researchers write coordinates, and Talairach input
// through the built program.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "imaging/affine.hpp"
#include "imaging/talairach.hpp"
#include "tests/vantrel-atlas/atlas_program.hpp"
#include "vantrel-atlas/commands.hpp"

namespace vantrel_atlas::test {
namespace {

// The point read from `words` as "x y z", or the reason it is refused.
std::string parsed(const std::vector<std::string>& words) {
  try {
    const imaging::Vec3 point = parseCoordinates(words);
    std::ostringstream text;
    text << point[0] << ' ' << point[1] << ' ' << point[2];
    return text.str();
  } catch (const std::invalid_argument& error) {
    return error.what();
  }
}

TEST(ParseCoordinates, TakesBlanksOrCommasBetweenThreeNumbersWithinRange) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"-38", "-22", "56"}, "-38 -22 56"},
      {{"-38", ",", "-22", ",56"}, "-38 -22 56"},
      {{"-38, -22, 56"}, "-38 -22 56"},
      {{"10.5", "+3", "-.25"}, "10.5 3 -0.25"},
      {{"1000000000", "-1000000000", "0"}, "1e+09 -1e+09 0"},
      {{"1,,2"}, "expected three coordinates X Y Z, got 2"},
      {{"1", "2", "3", "4"}, "expected three coordinates X Y Z, got 4"},
      {{"1", "NaN", "3"}, "coordinate 'NaN' is not a number"},
      {{"1", "2", "inf"}, "coordinate 'inf' is not a number"},
      {{"1000000000.5", "2", "3"}, "coordinate '1000000000.5' is beyond +-1e9 mm"},
      {{"1", "-2000000000", "3"}, "coordinate '-2000000000' is beyond +-1e9 mm"},
  };
  for (const auto& [words, expected] : cases) {
    EXPECT_EQ(parsed(words), expected) << words[0];
  }
}

TEST(PointCommand, AnswersTalairachInputAsItsExactMniConversion) {
  ATLAS_SKIP_WITHOUT_DATA();
  const vantrel::kit::ProcessResult viaTalairach =
      runAtlas({"point", "--space", "talairach", "--format", "json", "-36.6", "-24.2", "52.3"});
  ASSERT_EQ(viaTalairach.exitStatus, 0) << viaTalairach.err;
  const nlohmann::json answer = jsonRecords(viaTalairach.out).at(1);
  const imaging::Vec3 mni = imaging::applyAffine(imaging::talairachToMni(), {-36.6, -24.2, 52.3});
  EXPECT_EQ(answer["mni"], (nlohmann::json{{"x", mni[0]}, {"y", mni[1]}, {"z", mni[2]}}));
}

}  // namespace
}  // namespace vantrel_atlas::test
