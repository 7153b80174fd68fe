// The names of an atlas's label values, from a text table or from the text a NIfTI file
// carries between its header and its voxels.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace atlas {

// Label value to name. Value 0 is the background and never has a name.
using LabelNames = std::map<std::int64_t, std::string>;

enum class NameColumn {
  kWord,        // "value name [code]": the name is one word and a code may follow
  kRestOfLine,  // "value<TAB>name": the name runs to the end of the line, blanks included
};

// Lines end with LF or CR LF; blank lines and NUL padding are skipped. Throws
// std::runtime_error naming `source` and the line for a line that is not a value and a name,
// or that names a value twice.
LabelNames parseLabelNames(std::string_view text, NameColumn column, const std::string& source);

// The bytes of a whole text file; throws std::runtime_error naming the file when it cannot be
// read or is larger than `limit`.
std::string readSmallFile(const std::string& path, std::size_t limit);

}  // namespace atlas
