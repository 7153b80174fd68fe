// The atlases of a run: catalogue keys and discovered keys given with --atlas, then the files
// given with --atlas-file, each once under a key of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "atlas/atlas_sources.hpp"
#include "atlas/catalogue.hpp"

namespace atlas {

// One atlas of a run: a catalogue entry read from the data folder, or an atlas on disk.
struct ChosenAtlas {
  const AtlasEntry* entry = nullptr;  // null: `source`
  AtlasSource source;
};

struct AtlasRequest {
  std::optional<std::string> keys;   // --atlas, comma-separated; unset: the default
  std::vector<std::string> files;    // --atlas-file arguments, [KEY=]PATH
  std::string dataDirectory;         // where catalogue entries are read
  std::vector<std::string> folders;  // searched for atlases that --atlas may name
};

// The atlases found in `folders`, each described; a file that cannot be described is left out
// and its reason added to `skipped`.
std::vector<AtlasSource> discoverAtlases(const std::vector<std::string>& folders,
                                         std::vector<std::string>* skipped);

// The chosen atlases in order: --atlas keys (the six catalogue atlases when unset and no file is
// given), then the files. Throws std::invalid_argument for an unknown key or two atlases with
// one key (naming both files), and std::runtime_error naming a file that cannot be described.
std::vector<ChosenAtlas> chooseAtlases(const AtlasRequest& request);

// Whether any chosen atlas is read from the data folder.
bool needsDataFolder(const std::vector<ChosenAtlas>& chosen);

}  // namespace atlas
