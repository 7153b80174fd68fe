// An atlas of a run read from its compiled form in the cache, compiled first when the cache
// holds none that can be trusted.
#include "atlas/cached_atlas.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "atlas/atlas_loading.hpp"
#include "atlas/distance_map.hpp"
#include "atlas/nearby_labels.hpp"

namespace atlas {
namespace {

std::vector<std::string> sourceFilesOf(const ChosenAtlas& chosen, const std::string& directory) {
  return chosen.entry != nullptr ? entryFiles(*chosen.entry, directory) : filesOf(chosen.source);
}

// Whatever besides the files' contents changes what is compiled: how the files are read.
std::string settingsOf(const ChosenAtlas& chosen) {
  if (chosen.entry != nullptr) {
    return "debian " + std::string(chosen.entry->key) +
           (chosen.entry->whiteMatterHeaderFix ? " white-matter header fix" : "");
  }
  const AtlasSource& s = chosen.source;
  return std::string(formName(s.form)) + " " + std::string(typeName(s.type)) +
         (s.summary.empty() ? "" : " summary") + (s.table.empty() ? "" : " table") +
         (s.summaryIsIndexPlusOne ? " index+1" : "");
}

LabelAtlas loadFromFiles(const ChosenAtlas& chosen, const std::string& directory) {
  return chosen.entry != nullptr ? loadLabelAtlas(*chosen.entry, directory)
                                 : loadAtlas(chosen.source);
}

// Every map is compiled with the widest margin, so that one compiled file serves every radius.
std::optional<std::vector<NearestEntry>> widestMapOf(const LabelAtlas& atlas) {
  return nearestLabelMap(atlas, {kLargestMapMargin, kLargestMapMargin, kLargestMapMargin});
}

}  // namespace

std::optional<CachedAtlas> loadCachedAtlas(const ChosenAtlas& chosen,
                                           const std::string& dataDirectory,
                                           const cache::Store& store) {
  const std::vector<std::string> files = sourceFilesOf(chosen, dataDirectory);
  AtlasSources sources;
  for (const std::string& file : files) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
      // Reading from the files says what is wrong with them, as a run without the cache does.
      loadFromFiles(chosen, dataDirectory);
    }
    sources.emplace_back(file, store.digestOf(file));
  }
  const cache::CompiledKey key = compiledAtlasKey(sources, settingsOf(chosen));
  const auto touch = [](const cache::CompiledFile& file) {
    // A view that does not own the file: what is read here is dropped before it returns.
    readCompiledAtlas(
        std::shared_ptr<const cache::CompiledFile>(std::shared_ptr<const cache::CompiledFile>(),
                                                   &file),
        true);
  };
  std::optional<cache::Obtained> obtained = store.lookUp(key, touch);
  // Compiling what cannot be kept would cost every run more than reading the files does.
  if (!obtained && !store.canKeep("reading each atlas from its files")) {
    return std::nullopt;
  }
  if (!obtained) {
    obtained = store.obtain(
        key,
        [&] {
          const LabelAtlas atlas = loadFromFiles(chosen, dataDirectory);
          const std::optional<std::vector<NearestEntry>> map = widestMapOf(atlas);
          const VoxelIndex margin{kLargestMapMargin, kLargestMapMargin, kLargestMapMargin};
          return compileAtlas(
              atlas, key, sources,
              map ? std::optional<NearestMap>(NearestMap{*map, margin, nullptr}) : std::nullopt);
        },
        touch);
  }
  auto file = std::make_shared<const cache::CompiledFile>(std::move(obtained->file));
  CompiledAtlas compiled = readCompiledAtlas(file, true);
  // The files were digested above, in the order the description lists them.
  const DigestOfFile digestOf = [&](const std::string& path) {
    const auto found = std::find_if(sources.begin(), sources.end(),
                                    [&](const auto& source) { return source.first == path; });
    return cache::hexOf(found != sources.end() ? found->second : store.digestOf(path));
  };
  AtlasDescription description = chosen.entry != nullptr
                                     ? describeEntry(*chosen.entry, dataDirectory, digestOf)
                                     : describeSource(chosen.source, digestOf);
  description.cache = !obtained->path ? "memory" : obtained->compiled ? "compiled" : "read";
  description.compiledFile = obtained->path ? obtained->path->string() : "";
  const imaging::Grid& grid = compiled.indices.grid;
  AtlasProvenance provenance{files.front(), description.files.front().sha256, grid.size(),
                             grid.voxelSize(), compiled.labels.size()};
  return CachedAtlas{LabelAtlas(std::move(description), std::move(compiled.indices),
                     std::move(compiled.labels), std::move(provenance), std::move(compiled.regions),
                     std::move(compiled.probabilities)),
          compiled.map};
}

void forgetCompiledAtlas(const LabelAtlas& atlas, const cache::Warn& warn) {
  const std::string& path = atlas.description().compiledFile;
  const std::string key = atlas.description().key;
  std::error_code error;
  if (path.empty()) {
    warn("the compiled form of " + key + " is corrupt; " + key + " read from its files");
  } else if (std::filesystem::remove(path, error)) {
    warn("compiled atlas " + path + " is corrupt; removed, and " + key + " read from its files");
  } else {
    // A system folder's file: its owner compiles it again.
    warn("compiled atlas " + path + " is corrupt and cannot be removed (" + error.message() +
         "); " + key + " read from its files");
  }
}

}  // namespace atlas
