// Tests of the coordinates of the point command: the ways researchers write them.
#include "vantrel-atlas/options.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vantrel_atlas {
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

}  // namespace
}  // namespace vantrel_atlas
