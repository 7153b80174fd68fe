// The command line of vantrel-atlas, with CLI11 subcommands; the help text documents the output.
#include "vantrel-atlas/options.hpp"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "atlas/catalogue.hpp"
#include "imaging/nifti_read.hpp"
#include "tables/point_table.hpp"
#include "src/exit_status.h"
#include "vantrel_version.h"

namespace vantrel_atlas {
namespace {

constexpr const char* kDescription =
    "Labels MNI points in-process with every label atlas of mricron-data, with the nearest "
    "structure and where each answer came from.";

constexpr const char* kAtlasKeys = "aal,ho-cort,jhu-wm,aicha,jhu189,natbrainlab";

constexpr const char* kPointFooter =
    R"(X, Y and Z are millimetres, negative values written plainly (-38 -22 56), with
blanks or commas between them. Each atlas is read through its own sform; the voxel
at a point is the one whose centre is nearest, halves rounded up. Distances are
between voxel centres. Of labels tied at the nearest distance the one with the
lowest label value is reported.
Exit status: 0 labelled; 1 usage error, bad coordinates or unreadable atlases.)";

constexpr const char* kTableFooter =
    R"(Input: tab-separated lines with X, Y and Z in the first three fields, read as
vantrel-batch reads them: decimals allowed, one header line, '#' and blank lines
skipped, further fields carried through.
Output: '#' provenance lines, then a header and one row per point (tsv), or a
provenance record and one JSON object per point; rejected lines are reported
('# line N: rejected: ...' or a record with "error") and counted on standard error.
Exit status: 0 every point labelled; 1 usage error, unreadable input or atlases;
2 some lines rejected.)";

constexpr const char* kClustersFooter =
    R"(Voxels with value >= T form positive clusters; with --two-sided, voxels <= -T
form negative ones. Clusters are numbered by voxel count, largest first (ties: the
greater absolute peak), the same number in every output. A cluster's first peak is
its extreme voxel (ties: lowest z, then y, then x); further peaks are local extrema
taken by value, none closer than --peak-distance to one already taken. Each peak
is labelled as point labels a point. The composition gives, per atlas, the labels
the cluster's voxel centres fall in: voxels, percent of the cluster and percent of
the region's volume in the atlas. NaN and infinite values join no cluster.
--out PREFIX also writes PREFIX_clusters.tsv, PREFIX_peaks.tsv, PREFIX.json and the
cluster map PREFIX_clusters.nii.gz, each renamed into place once complete.
Exit status: 0 reported (also when no voxel passes the threshold); 1 usage error,
unreadable or refused map, unreadable atlases or unwritable output.)";

struct Raw {
  std::string format, space = "mni", atlases = kAtlasKeys;
  std::vector<std::string> coordinates;
};

CLI::App* addCommand(CLI::App& app, const char* name, const char* what, Options& options) {
  CLI::App* command = app.add_subcommand(name, what);
  command->set_version_flag("--version", "vantrel-atlas " VANTREL_VERSION);
  command->add_option("--data", options.dataDirectory, "Folder of the mricron-data atlases")
      ->capture_default_str();
  return command;
}

void addAtlasOptions(CLI::App& command, Options& options, Raw& raw) {
  command.add_option("--atlas", raw.atlases, "Comma-separated atlas keys")->capture_default_str();
  command
      .add_option("--nearest", options.radii.nearestMm,
                  "Search for the nearest label this far, in mm (0: no search)")
      ->check(CLI::Range(0.0, 50.0))
      ->capture_default_str();
}

void addLabellingOptions(CLI::App& command, Options& options, Raw& raw) {
  command.add_option("--space", raw.space, "Space of the coordinates given")
      ->check(CLI::IsMember({"mni", "talairach"}))
      ->capture_default_str();
  addAtlasOptions(command, options, raw);
  command
      .add_option("--within", options.radii.withinMm,
                  "List every label with a voxel this close, in mm")
      ->check(CLI::Range(0.0, 50.0));
}

void addPictureOptions(CLI::App& command, Options& options, bool report) {
  command.add_option("--figures", options.figuresDir,
                     "Write a figure per point and a glass brain into this folder");
  command.add_option("--figure-format", options.figureFormat, "png, svg or pdf")
      ->check(CLI::IsMember({"png", "svg", "pdf"}))
      ->capture_default_str();
  if (report) {
    command.add_option("--report", options.reportDir,
                       "Write an HTML report, index.html and its figures, into this folder");
  }
}

void addClustersCommand(CLI::App& app, Options& options, Raw& raw) {
  CLI::App* command =
      addCommand(app, "clusters", "Clusters and peaks of a statistical map, labelled", options);
  maps::ClusterOptions& c = options.clusters;
  command->add_option("--threshold", c.threshold, "Cluster voxels with value >= T (no default)")
      ->required();
  command->add_flag("--two-sided", c.twoSided, "Also cluster voxels with value <= -T");
  command->add_option("--min-voxels", c.minVoxels, "Drop clusters of fewer voxels")
      ->check(CLI::Range(std::int64_t{1}, imaging::kMaxVoxels))
      ->capture_default_str();
  command->add_option("--connectivity", c.connectivity, "6 faces, 18 and edges, 26 and corners")
      ->check(CLI::IsMember({6, 18, 26}))
      ->capture_default_str();
  command->add_option("--peaks", c.maxPeaks, "Peaks per cluster, at most")
      ->check(CLI::Range(1, 1000))
      ->capture_default_str();
  command->add_option("--peak-distance", c.peakDistanceMm, "Least distance between peaks, mm")
      ->check(CLI::Range(0.0, 1000.0))
      ->capture_default_str();
  command->add_option("--volume", options.volume, "Volume of a 4-D map, from 0")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  addAtlasOptions(*command, options, raw);
  command->add_option("--format", raw.format, "tsv or json")->check(CLI::IsMember({"tsv", "json"}));
  command->add_option("--out", options.outPrefix, "Also write the report files under PREFIX");
  addPictureOptions(*command, options, true);
  command->add_option("map", options.map, "Statistical map, .nii or .nii.gz")->required();
  command->footer(kClustersFooter);
  command->parse_complete_callback([&] { options.command = Command::kClusters; });
}

// The words of the command line, each quoted for a POSIX shell where it needs it.
std::string commandLineOf(int argc, const char* const argv[]) {
  std::string line = "vantrel-atlas";
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                            "0123456789-_.,/:=+@%") == std::string::npos;
    if (plain) {
      line += " " + word;
      continue;
    }
    line += " '";
    for (const char c : word) {
      line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    line += "'";
  }
  return line;
}

void addCommands(CLI::App& app, Options& options, Raw& raw) {
  CLI::App* list =
      addCommand(app, "list", "The atlases, their files, digests and citations", options);
  list->add_option("--format", raw.format, "text or json")->check(CLI::IsMember({"text", "json"}));
  list->parse_complete_callback([&] { options.command = Command::kList; });

  CLI::App* point = addCommand(app, "point", "Label one point", options);
  addLabellingOptions(*point, options, raw);
  point->add_option("--format", raw.format, "text, tsv or json")
      ->check(CLI::IsMember({"text", "tsv", "json"}));
  addPictureOptions(*point, options, false);
  point->add_option("coordinates", raw.coordinates, "X Y Z")->required();
  point->footer(kPointFooter);
  point->parse_complete_callback([&] { options.command = Command::kPoint; });

  CLI::App* table = addCommand(app, "table", "Label every point of a table", options);
  addLabellingOptions(*table, options, raw);
  table->add_option("--format", raw.format, "tsv or json")->check(CLI::IsMember({"tsv", "json"}));
  addPictureOptions(*table, options, true);
  table->add_option("input", options.input, "Tab-separated table, or - for standard input")
      ->required();
  table->footer(kTableFooter);
  table->parse_complete_callback([&] { options.command = Command::kTable; });

  addClustersCommand(app, options, raw);
}

Format formatNamed(const std::string& name, Command command) {
  if (name == "json") {
    return Format::kJson;
  }
  if (name == "tsv" || (name.empty() && command != Command::kList && command != Command::kPoint)) {
    return Format::kTsv;
  }
  return Format::kText;
}

void finish(Options& options, const Raw& raw) {
  options.format = formatNamed(raw.format, options.command);
  options.talairach = raw.space == "talairach";
  try {
    options.atlases = atlas::selectAtlases(raw.atlases);
    if (options.command == Command::kClusters) {
      maps::checkClusterOptions(options.clusters);
    }
    if (options.command == Command::kPoint) {
      options.point = parseCoordinates(raw.coordinates);
    }
  } catch (const std::invalid_argument& error) {
    throw CLI::ValidationError(error.what());
  }
}

}  // namespace

imaging::Vec3 parseCoordinates(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) {
    joined += word;
    joined += ' ';
  }
  std::replace(joined.begin(), joined.end(), ',', ' ');
  std::vector<std::string> values;
  for (std::size_t at = joined.find_first_not_of(' '); at != std::string::npos;
       at = joined.find_first_not_of(' ', at)) {
    const std::size_t end = joined.find(' ', at);
    values.push_back(joined.substr(at, end - at));
    at = end;
  }
  if (values.size() != 3) {
    throw std::invalid_argument("expected three coordinates X Y Z, got " +
                                std::to_string(values.size()));
  }
  imaging::Vec3 point{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    const char* text = values[axis].c_str();
    if (atlas::coordinateForm(text) == atlas::CoordinateForm::kNotANumber) {
      throw std::invalid_argument("coordinate '" + values[axis] + "' is not a number");
    }
    point[axis] = atlas::coordinateValue(text);
    if (!(std::abs(point[axis]) <= kCoordinateLimit)) {
      throw std::invalid_argument("coordinate '" + values[axis] + "' is beyond +-1e9 mm");
    }
  }
  return point;
}

ParsedOptions parseOptions(int argc, const char* const argv[]) {
  ParsedOptions parsed;
  parsed.options.dataDirectory = atlas::kDefaultDataDirectory;
  CLI::App app{kDescription, "vantrel-atlas"};
  app.set_version_flag("--version", "vantrel-atlas " VANTREL_VERSION);
  app.require_subcommand(1);
  Raw raw;
  parsed.options.commandLine = commandLineOf(argc, argv);
  addCommands(app, parsed.options, raw);
  try {
    app.parse(argc, argv);
    finish(parsed.options, raw);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    parsed.exitNow = status == 0 ? vantrel::kExitSuccess : vantrel::kExitBadInput;
  }
  return parsed;
}

}  // namespace vantrel_atlas
