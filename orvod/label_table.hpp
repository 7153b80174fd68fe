// The text tables that name the values of a label volume.
#pragma once

#include <array>
#include <istream>
#include <string>

namespace orvod {

struct LabelRow {
  std::string name;  // empty: the value has no row
  std::string code;  // the third column, when the table has one
};

// Indexed by voxel value.
using LabelTable = std::array<LabelRow, 256>;

// Rows are "value name [code]", separated by blanks or tabs, with CR LF or LF line ends.
// Blank lines are skipped; a row whose value is not 0..255 is refused with std::runtime_error.
LabelTable parseLabelTable(std::istream& in, const std::string& source);
LabelTable readLabelTable(const std::string& path);

}  // namespace orvod
