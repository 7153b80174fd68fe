// The command line of vantrel-atlas: the list, point, table and clusters subcommands and their
// options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "atlas/catalogue.hpp"
#include "imaging/affine.hpp"
#include "maps/clusters.hpp"
#include "atlas/labelling.hpp"

namespace vantrel_atlas {

enum class Command { kList, kPoint, kTable, kClusters };
enum class Format { kText, kTsv, kJson };

struct Options {
  Command command = Command::kList;
  Format format = Format::kText;
  bool talairach = false;  // --space talairach
  std::vector<const atlas::AtlasEntry*> atlases;
  SearchRadii radii;
  std::string dataDirectory;
  imaging::Vec3 point{};               // point: X Y Z as given
  std::string input;                 // table: a path, or "-" for standard input
  std::string figuresDir;            // --figures; empty: no figures
  std::string reportDir;             // --report; empty: no report
  std::string figureFormat = "png";  // --figure-format
  std::string commandLine;           // as typed, for the report
  // clusters: the map, its volume, what makes a cluster and where the report files go
  std::string map;
  std::int64_t volume = 0;
  maps::ClusterOptions clusters;
  std::string outPrefix;  // empty: standard output only
};

// The options, or the exit status of a run that ends here: 0 after --help or --version,
// kExitBadInput after a usage error (the message is printed).
struct ParsedOptions {
  Options options;
  std::optional<int> exitNow;
};

ParsedOptions parseOptions(int argc, const char* const argv[]);

// X, Y and Z from the words of the command line: blanks or commas between them, each a plain
// or decimal number within +-1e9. Throws std::invalid_argument saying what is wrong.
imaging::Vec3 parseCoordinates(const std::vector<std::string>& words);

// The largest coordinate accepted, in millimetres: far beyond every grid, and small enough
// for exact index arithmetic.
inline constexpr double kCoordinateLimit = 1e9;

}  // namespace vantrel_atlas
