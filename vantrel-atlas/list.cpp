// vantrel-atlas list: the atlases, their files, digests and citations.
#include <cstdio>

#include "atlas/labelling.hpp"
#include "atlas/provenance_text.hpp"
#include "src/exit_status.h"
#include "vantrel-atlas/commands.hpp"

namespace vantrel_atlas {
namespace {

struct ListOptions {
  AtlasChoice atlases;  // every atlas; only the folder is an option
  std::string format;
};

void declareList(CLI::App& cli, ListOptions& options) {
  cli.description("The atlases, their files, digests and citations");
  addDataOption(cli, options.atlases.dataDirectory);
  addFormatOption(cli, options.format, {"text", "json"});
}

int runList(const ListOptions& options) {
  const std::vector<const atlas::AtlasEntry*> entries = chosenAtlases(options.atlases);
  requireDataFolder(options.atlases.dataDirectory);
  const LoadedAtlases atlases(entries, options.atlases.dataDirectory, options.atlases.radii, false);
  const RunProvenance provenance = provenanceOf(options.atlases.dataDirectory, atlases.atlases());
  const std::string text = formatNamed(options.format) == Format::kJson
                               ? tables::jsonLine({{"provenance", provenanceJson(provenance)}})
                               : provenanceText(provenance);
  std::fputs(text.c_str(), stdout);
  return vantrel::kExitSuccess;
}

}  // namespace

app::Command listCommand() {
  return app::command("list", declareList, runList);
}

}  // namespace vantrel_atlas
