// vantrel-atlas as a whole: its commands, its exit statuses, and the options its commands share.
#include "vantrel-atlas/commands.hpp"

#include <cstdlib>
#include <filesystem>

#include "atlas/atlas_loading.hpp"
#include "src/exit_status.h"

namespace vantrel_atlas {

namespace {

constexpr const char* kDefaultKeys = "aal,ho-cort,jhu-wm,aicha,jhu189,natbrainlab";

constexpr const char* kDescription =
    "Labels MNI points in-process with every label atlas of mricron-data, with the nearest "
    "structure and where each answer came from.";

// Every failure ends with 1; a table with rejected lines ends as vantrel-batch's does.
app::ExitTable exitTable() {
  using app::Failure;
  const std::vector<Failure> failures = {Failure::kUsage, Failure::kUnreadableInput,
                                         Failure::kBadInput};
  return {{vantrel::kExitSuccess, {}},
          {vantrel::kExitBadInput, failures},
          {vantrel::kExitBatchRejectedLines, {}}};
}

}  // namespace

app::Program program() {
  return {.name = "vantrel-atlas",
          .description = kDescription,
          .exits = exitTable(),
          .commands = {listCommand(), pointCommand(), tableCommand(), clustersCommand(),
                       cacheCommand()}};
}

void addDataOption(CLI::App& cli, AtlasChoice& choice) {
  cli.add_option("--data", choice.dataDirectory, "Folder of the mricron-data atlases")
      ->capture_default_str();
  cli.add_flag("--no-cache", choice.noCache,
               "Read every atlas from its files; read and write no compiled atlas");
}

std::unique_ptr<cache::Store> cacheStore(const AtlasChoice& choice) {
  if (choice.noCache) {
    return nullptr;
  }
  return std::make_unique<cache::Store>(cache::settingsFromEnvironment(true, app::warn));
}

void addAtlasFileOption(CLI::App& cli, AtlasChoice& choice) {
  cli.add_option("--atlas-file", choice.files,
                 "[KEY=]PATH of an atlas: an FSL .xml, a TemplateFlow dseg or probseg image, "
                 "or a label image with its table; repeatable")
      ->allow_extra_args(false);
}

void addAtlasOptions(CLI::App& cli, AtlasChoice& choice) {
  cli.add_option_function<std::string>(
         "--atlas", [&choice](const std::string& keys) { choice.keys = keys; },
         "Comma-separated atlas keys: the catalogue's and any found in VANTREL_ATLAS_PATH or "
         "$FSLDIR/data/atlases (none when --atlas-file is given)")
      ->default_str(kDefaultKeys);
  addAtlasFileOption(cli, choice);
  cli.add_option("--nearest", choice.radii.nearestMm,
                 "Search for the nearest label this far, in mm (0: no search)")
      ->check(CLI::Range(0.0, 50.0))
      ->capture_default_str();
}

void addLabellingOptions(CLI::App& cli, Labelling& labelling) {
  cli.add_option("--space", labelling.space, "Space of the coordinates given")
      ->check(CLI::IsMember({"mni", "talairach"}))
      ->capture_default_str();
  addAtlasOptions(cli, labelling.atlases);
  cli.add_option("--within", labelling.atlases.radii.withinMm,
                 "List every label with a voxel this close, in mm")
      ->check(CLI::Range(0.0, 50.0));
}

void addFormatOption(CLI::App& cli, std::string& format, std::initializer_list<const char*> names) {
  const std::vector<std::string> formats(names.begin(), names.end());
  std::string help = formats.front();
  for (std::size_t i = 1; i < formats.size(); ++i) {
    help += (i + 1 == formats.size() ? " or " : ", ") + formats[i];
  }
  format = formats.front();
  cli.add_option("--format", format, help)->check(CLI::IsMember(formats));
}

void addPictureOptions(CLI::App& cli, Pictures& pictures, bool report) {
  cli.add_option("--figures", pictures.figuresDir,
                 "Write a figure per point and a glass brain into this folder");
  cli.add_option("--figure-format", pictures.figureFormat, "png, svg or pdf")
      ->check(CLI::IsMember({"png", "svg", "pdf"}))
      ->capture_default_str();
  if (report) {
    cli.add_option("--report", pictures.reportDir,
                   "Write an HTML report, index.html and its figures, into this folder");
  }
}

Format formatNamed(const std::string& name) {
  if (name == "json") {
    return Format::kJson;
  }
  return name == "tsv" ? Format::kTsv : Format::kText;
}

std::vector<std::string> atlasFolders() {
  return atlas::atlasSearchFolders(std::getenv("VANTREL_ATLAS_PATH"), std::getenv("FSLDIR"));
}

std::vector<atlas::ChosenAtlas> chosenAtlases(const AtlasChoice& choice) {
  const atlas::AtlasRequest request{choice.keys, choice.files, choice.dataDirectory,
                                    atlasFolders()};
  return app::checkUsage([&] { return atlas::chooseAtlases(request); });
}

void requireDataFolder(const std::string& dataDirectory,
                       const std::vector<atlas::ChosenAtlas>& chosen) {
  if (atlas::needsDataFolder(chosen) && !std::filesystem::is_directory(dataDirectory)) {
    throw app::Error(app::Failure::kUnreadableInput,
                     "data folder " + dataDirectory + " does not exist");
  }
}

void warnOfMixedSpaces(const LoadedAtlases& atlases) {
  if (const std::optional<std::string> spaces = atlas::mixedTemplateSpaces(atlases.atlases())) {
    app::warn("the atlases come from different template spaces: " + *spaces);
  }
}

figures::PictureOptions figureOptions(const Pictures& pictures) {
  return {pictures.figuresDir, *figures::parseFormat(pictures.figureFormat)};
}

report::ReportOptions reportOptions(const Pictures& pictures, const std::string& input) {
  return {pictures.reportDir, app::commandLine(), input};
}

}  // namespace vantrel_atlas
