// Tests of label names read from text tables and from the text between header and voxels.
#include "atlas/label_names.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace atlas {
namespace {

// The text some atlases carry after their header: four NUL bytes first, blanks at the end.
const std::string kPaddedText =
    std::string(4, '\0') + "1\tFrontal Pole\n45\tHeschl's Gyrus (H1)\n48\tOccipital Pole    ";

TEST(ParseLabelNames, ReadsBothLayouts) {
  struct Case {
    std::string_view text;
    NameColumn column;
    LabelNames names;
  };
  const Case cases[] = {
      {"1 Precentral_L 2001\r\n2\tPrecentral_R\t2002\n",
       NameColumn::kWord,
       {{1, "Precentral_L"}, {2, "Precentral_R"}}},
      {kPaddedText,
       NameColumn::kRestOfLine,
       {{1, "Frontal Pole"}, {45, "Heschl's Gyrus (H1)"}, {48, "Occipital Pole"}}},
      {"0\tUnclassified\r\n\n300 Wide_value\n", NameColumn::kWord, {{300, "Wide_value"}}},
      {"", NameColumn::kWord, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseLabelNames(c.text, c.column, "t"), c.names) << c.text;
  }
}

TEST(ParseLabelNames, RefusesLinesThatAreNotAValueAndANameWithTheLine) {
  const std::pair<std::string_view, std::string> cases[] = {
      {"1 a\nx b\n", "t:2: expected a label value and a name"},
      {"1\n", "t:1: expected a label value and a name"},
      {"1a b\n", "t:1: expected a label value and a name"},
      {"99999999999999999999 a\n", "t:1: expected a label value and a name"},
      {"2 a\n2 b\n", "t:2: value 2 is named twice"},
  };
  for (const auto& [text, message] : cases) {
    try {
      parseLabelNames(text, NameColumn::kWord, "t");
      ADD_FAILURE() << text;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(error.what(), message);
    }
  }
}

}  // namespace
}  // namespace atlas
