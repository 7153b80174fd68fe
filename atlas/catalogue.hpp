// The label atlases of mricron-data that vantrel-atlas answers from, each under a fixed key.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/affine.hpp"

namespace atlas {

// Where Debian's mricron-data installs the atlases.
inline constexpr const char* kDefaultDataDirectory = "/usr/share/mricron/templates";

// Where an atlas keeps the names of its label values.
enum class NameSource {
  kTextFile,      // "value name [code]" lines in the file named by namesFile
  kEmbeddedText,  // "value<TAB>name" lines between the NIfTI header and the voxel data
};

struct AtlasEntry {
  std::string_view key;   // what --atlas takes, e.g. "aal"
  std::string_view file;  // the label volume, relative to the data directory
  NameSource names;
  std::string_view namesFile;         // for NameSource::kTextFile
  std::string_view citation;          // the publication to cite for the atlas
  bool whiteMatterHeaderFix = false;  // the JHU header correction orvod applies
  // As its publication states it, in TemplateFlow's naming where there is one.
  std::string_view templateSpace = "unstated";
};

// All six atlases in their fixed order: aal, ho-cort, jhu-wm, aicha, jhu189, natbrainlab.
std::span<const AtlasEntry> atlasCatalogue();

// The entry with this key, or nullptr.
const AtlasEntry* findAtlasEntry(std::string_view key);

// A comma-separated list of keys, in the order given, each once. Throws std::invalid_argument
// naming the first key that is not in the catalogue, or saying the list is empty.
std::vector<const AtlasEntry*> selectAtlases(std::string_view commaList);

// The shipped JHU white-matter header puts every right-hemisphere tract on the left. Returns
// whether the matrix was that exact header and was corrected; a corrected future release is
// left alone.
bool correctWhiteMatterSform(imaging::Affine& voxelToWorld);

}  // namespace atlas
