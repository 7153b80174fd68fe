// Where the answers of a run come from, written as text, as TSV comment lines or as JSON.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "atlas/atlas_sources.hpp"
#include "atlas/label_atlas.hpp"

namespace vantrel_atlas {

struct RunProvenance {
  std::string dataDirectory;
  std::optional<std::string> packageVersion;  // of mricron-data, when dpkg knows it
  const std::vector<atlas::LabelAtlas>* atlases = nullptr;
};

// Reads the package version from the machine.
RunProvenance provenanceOf(const std::string& dataDirectory,
                           const std::vector<atlas::LabelAtlas>& atlases);

std::string provenanceText(const RunProvenance& run);
// How the run came by an atlas: "read from the cache, FILE", "compiled into the cache, FILE",
// "compiled in memory, the cache not writable" or "read from its files, no cache".
std::string cacheText(const atlas::AtlasDescription& description);
// Every line starts with "# ".
std::string provenanceComments(const RunProvenance& run, bool talairachInput);
nlohmann::ordered_json provenanceJson(const RunProvenance& run);

// The atlases found in the folders searched, one line each with key, form, type, template space
// and file after a heading; empty when none was found.
std::string foundAtlasesText(const std::vector<atlas::AtlasSource>& found);
nlohmann::ordered_json foundAtlasesJson(const std::vector<atlas::AtlasSource>& found);

}  // namespace vantrel_atlas
