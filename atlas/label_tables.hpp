// The region names a label image keeps beside it: a BIDS/TemplateFlow TSV, or a text table of
// "index name [colour...]" lines as FreeSurfer's colour tables and Debian's .nii.txt files are.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "atlas/label_names.hpp"

namespace atlas {

// The longest region name accepted; longer ones are refused as a sign of a broken file.
inline constexpr std::size_t kMaxRegionName = 1000;

// A region as an atlas's table defines it: its index (a voxel value, or a volume of a
// probabilistic atlas) and its name.
struct Region {
  std::int64_t index = 0;
  std::string name;
};
using Regions = std::vector<Region>;  // in the table's order, indices distinct

// The names of nonzero indices, for a label image's lookup.
LabelNames namesOf(const Regions& regions);

// The regions of a TSV whose header line has the columns `index` and `name` (others may follow in
// any order), or nothing when the header lacks them: such a file is some other table. Throws
// std::runtime_error naming `source` and the line for a row whose index is not a whole number,
// an index given twice, or a name longer than 1,000 characters.
std::optional<Regions> parseLabelTsv(std::string_view text, const std::string& source);

// The regions of a text table: "index name" lines, where the name is one word and colour or code
// columns may follow; '#' starts a comment line. Nothing when the bytes are not text (the
// binary colour tables of Debian's atlases share the .lut ending). Throws as parseLabelTsv.
std::optional<Regions> parseLabelText(std::string_view bytes, const std::string& source);

// The tables that may name the regions of `image` (a .nii or .nii.gz path), in the order they
// are tried: NAME.tsv, NAME.txt, NAME.nii.txt, NAME.lut, where NAME is the path without its
// NIfTI extension.
std::vector<std::string> labelTableCandidates(const std::string& image);

// The regions read from the first candidate that exists and is a label table, with its path; or
// nothing when there is none (the image's values are then its names).
struct FoundLabelTable {
  std::string path;
  Regions regions;
};
std::optional<FoundLabelTable> findLabelTable(const std::string& image);

}  // namespace atlas
