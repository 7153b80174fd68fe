// The commands of vantrel-atlas and what they share: the atlases they answer from, the space and
// format of points, and the pictures they draw.
#pragma once

#include <CLI/CLI.hpp>
#include <initializer_list>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "atlas/catalogue.hpp"
#include "atlas/labelling.hpp"
#include "cache/store.hpp"
#include "figures/figure_set.hpp"
#include "report/output_folders.hpp"
#include "tables/rows.hpp"

namespace vantrel_atlas {

// list, point, table, clusters and cache, with vantrel-atlas's exit statuses.
app::Program program();

app::Command listCommand();
app::Command pointCommand();
app::Command tableCommand();
app::Command clustersCommand();
app::Command cacheCommand();

enum class Format { kText, kTsv, kJson };

// How a table's rows are read and written: the space of the coordinates given and the format.
struct RowOptions {
  Format format = Format::kTsv;
  bool talairach = false;
};

// The largest coordinate accepted, in millimetres: far beyond every grid, and small enough
// for exact index arithmetic.
inline constexpr double kCoordinateLimit = 1e9;

// X, Y and Z from the words of the command line: blanks or commas between them, each a plain
// or decimal number within +-1e9. Throws std::invalid_argument saying what is wrong.
imaging::Vec3 parseCoordinates(const std::vector<std::string>& words);

// The atlases a command answers from: their folder, their keys, the atlas files given and how
// far to search.
struct AtlasChoice {
  std::string dataDirectory = atlas::kDefaultDataDirectory;
  std::optional<std::string> keys;  // unset: the six catalogue atlases, or none with files
  std::vector<std::string> files;   // --atlas-file arguments, in order
  SearchRadii radii;
  bool noCache = false;  // read every atlas from its files; keep no compiled file
};

// How point and table label: the atlases, and the space of the coordinates given.
struct Labelling {
  AtlasChoice atlases;
  std::string space = "mni";
};

// What --figures, --figure-format and --report ask for.
struct Pictures {
  std::string figuresDir;  // empty: no figures
  std::string figureFormat = "png";
  std::string reportDir;  // empty: no report
};

// What the figures of a run need, and what its report needs: the folder, the command line and
// the input (a table; empty for a point or a map).
figures::PictureOptions figureOptions(const Pictures& pictures);
report::ReportOptions reportOptions(const Pictures& pictures, const std::string& input);

// --data, the first option of every command that reads atlases, and --no-cache beside it.
void addDataOption(CLI::App& cli, AtlasChoice& choice);
// Where this run keeps compiled atlases: the environment's cache folders; null with --no-cache.
std::unique_ptr<cache::Store> cacheStore(const AtlasChoice& choice);
// --atlas-file.
void addAtlasFileOption(CLI::App& cli, AtlasChoice& choice);
// --atlas, --atlas-file and --nearest.
void addAtlasOptions(CLI::App& cli, AtlasChoice& choice);
// --space, --atlas, --nearest and --within.
void addLabellingOptions(CLI::App& cli, Labelling& labelling);
// --format, one of `names`; the first name is the default when none is given.
void addFormatOption(CLI::App& cli, std::string& format, std::initializer_list<const char*> names);
// --figures and --figure-format, and --report where the command writes one.
void addPictureOptions(CLI::App& cli, Pictures& pictures, bool report);

Format formatNamed(const std::string& name);

// The folders searched for atlases: VANTREL_ATLAS_PATH's, then $FSLDIR/data/atlases.
std::vector<std::string> atlasFolders();
// The atlases chosen, in order; an unknown key or a key given twice is a usage error.
std::vector<atlas::ChosenAtlas> chosenAtlases(const AtlasChoice& choice);
// Throws app::Error when a chosen atlas is read from the data folder and it is missing, before
// any atlas is read.
void requireDataFolder(const std::string& dataDirectory,
                       const std::vector<atlas::ChosenAtlas>& chosen);
// Warns once on standard error when the atlases come from different template spaces.
void warnOfMixedSpaces(const LoadedAtlases& atlases);
}  // namespace vantrel_atlas
