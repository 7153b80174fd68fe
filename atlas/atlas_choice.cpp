// The atlases of a run: catalogue keys and discovered keys, then the files given.
#include "atlas/atlas_choice.hpp"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "atlas/atlas_files.hpp"
#include "atlas/atlas_loading.hpp"

namespace atlas {
namespace {

std::vector<std::string> splitKeys(const std::string& commaList) {
  std::vector<std::string> keys;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = commaList.find(',', start);
    keys.push_back(commaList.substr(start, comma - start));
    if (comma == std::string::npos) {
      return keys;
    }
    start = comma + 1;
  }
}

std::string keyOf(const ChosenAtlas& atlas) {
  return atlas.entry != nullptr ? std::string(atlas.entry->key) : atlas.source.key;
}

std::string fileOf(const ChosenAtlas& atlas, const std::string& dataDirectory) {
  return atlas.entry != nullptr
             ? (std::filesystem::path(dataDirectory) / atlas.entry->file).string()
             : atlas.source.description;
}

std::string knownKeys(const std::vector<AtlasSource>& found) {
  std::string text;
  for (const AtlasEntry& entry : atlasCatalogue()) {
    text += (text.empty() ? "" : ", ") + std::string(entry.key);
  }
  for (const AtlasSource& source : found) {
    text += ", " + source.key;
  }
  return text;
}

// The atlas a key names: the catalogue's first, then the first discovered, looked for only when
// the catalogue has no such key.
ChosenAtlas atlasOfKey(const std::string& key, const AtlasRequest& request,
                       std::optional<std::vector<AtlasSource>>& found) {
  if (const AtlasEntry* entry = findAtlasEntry(key)) {
    return {entry, {}};
  }
  if (!found) {
    found = discoverAtlases(request.folders, nullptr);
  }
  for (const AtlasSource& source : *found) {
    if (source.key == key) {
      return {nullptr, source};
    }
  }
  throw std::invalid_argument("unknown atlas key '" + key + "' (keys: " + knownKeys(*found) + ")");
}

void refuseRepeatedKeys(const std::vector<ChosenAtlas>& chosen, const std::string& directory) {
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (keyOf(chosen[i]) == keyOf(chosen[j])) {
        throw std::invalid_argument("two atlases with the key '" + keyOf(chosen[i]) +
                                    "': " + fileOf(chosen[j], directory) + " and " +
                                    fileOf(chosen[i], directory));
      }
    }
  }
}

}  // namespace

std::vector<AtlasSource> discoverAtlases(const std::vector<std::string>& folders,
                                         std::vector<std::string>* skipped) {
  std::vector<AtlasSource> found;
  for (const std::string& file : findAtlasFiles(folders)) {
    try {
      found.push_back(describeAtlasFile(file, ""));
    } catch (const std::exception& error) {
      if (skipped != nullptr) {
        skipped->push_back(error.what());
      }
    }
  }
  return found;
}

std::vector<ChosenAtlas> chooseAtlases(const AtlasRequest& request) {
  std::vector<ChosenAtlas> chosen;
  std::optional<std::vector<AtlasSource>> found;
  if (request.keys) {
    std::vector<std::string> seen;
    for (const std::string& key : splitKeys(*request.keys)) {
      if (std::find(seen.begin(), seen.end(), key) == seen.end()) {
        seen.push_back(key);
        chosen.push_back(atlasOfKey(key, request, found));
      }
    }
  } else if (request.files.empty()) {
    for (const AtlasEntry& entry : atlasCatalogue()) {
      chosen.push_back({&entry, {}});
    }
  }
  for (const std::string& argument : request.files) {
    const AtlasFileArgument file = parseAtlasFileArgument(argument);
    chosen.push_back({nullptr, describeAtlasFile(file.path, file.key)});
  }
  refuseRepeatedKeys(chosen, request.dataDirectory);
  return chosen;
}

bool needsDataFolder(const std::vector<ChosenAtlas>& chosen) {
  return std::any_of(chosen.begin(), chosen.end(),
                     [](const ChosenAtlas& atlas) { return atlas.entry != nullptr; });
}

}  // namespace atlas
