// vantrel-atlas list: the atlases, their files, digests and citations, and the atlases found in
// the folders searched.
#include <cstdio>

#include "atlas/labelling.hpp"
#include "atlas/provenance_text.hpp"
#include "src/exit_status.h"
#include "vantrel-atlas/commands.hpp"

namespace vantrel_atlas {
namespace {

struct ListOptions {
  AtlasChoice atlases;  // every catalogue atlas, or the files given
  std::string format;
};

void declareList(CLI::App& cli, ListOptions& options) {
  cli.description("The atlases, their files, digests and citations");
  addDataOption(cli, options.atlases);
  addAtlasFileOption(cli, options.atlases);
  addFormatOption(cli, options.format, {"text", "json"});
}

int runList(const ListOptions& options) {
  const std::vector<atlas::ChosenAtlas> entries = chosenAtlases(options.atlases);
  requireDataFolder(options.atlases.dataDirectory, entries);
  const std::unique_ptr<cache::Store> store = cacheStore(options.atlases);
  const LoadedAtlases atlases(entries, options.atlases.dataDirectory, options.atlases.radii,
                              {.manyPoints = false, .wholeAtlases = false, .cache = store.get()});
  const RunProvenance provenance = provenanceOf(options.atlases.dataDirectory, atlases.atlases());
  std::vector<std::string> skipped;
  const std::vector<atlas::AtlasSource> found = atlas::discoverAtlases(atlasFolders(), &skipped);
  for (const std::string& reason : skipped) {
    app::warn("left out: " + reason);
  }
  const std::string text = formatNamed(options.format) == Format::kJson
                               ? tables::jsonLine({{"provenance", provenanceJson(provenance)},
                                                   {"found", foundAtlasesJson(found)}})
                               : provenanceText(provenance) + foundAtlasesText(found);
  std::fputs(text.c_str(), stdout);
  return vantrel::kExitSuccess;
}

}  // namespace

app::Command listCommand() {
  return app::command("list", declareList, runList);
}

}  // namespace vantrel_atlas
