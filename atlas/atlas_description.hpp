// What an atlas in memory says about itself in every output: its key, form, type, template
// space, citation and every file read for it with its digest.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "atlas/atlas_files.hpp"
#include "atlas/fsl_atlas.hpp"

namespace atlas {

// Written where nothing states an atlas's template space.
inline constexpr const char* kUnstatedSpace = "unstated";

// "label" or "probabilistic", as outputs name the type.
inline std::string_view typeName(AtlasType type) {
  return type == AtlasType::kLabel ? "label" : "probabilistic";
}

struct FileDigest {
  std::string path;
  std::string sha256;  // lower-case hex, as sha256sum prints it
};

struct AtlasDescription {
  std::string key;
  AtlasForm form = AtlasForm::kDebian;
  AtlasType type = AtlasType::kLabel;
  std::string templateSpace = kUnstatedSpace;
  std::string citation;  // empty when none is known
  std::string file;      // the file as outputs name it: relative to the data folder for Debian's
  std::vector<FileDigest> files;  // every file read, the label or 4D image first
  // How this run came by the atlas's compiled form: "read" from the cache, "compiled" into it,
  // compiled in "memory" where the cache could not be written, or "off": read from its files.
  std::string cache = "off";
  std::string compiledFile;  // where it was read or written; empty otherwise
};

}  // namespace atlas
