// vantrel-batch's options, with CLI11; the help text documents the output and the exit statuses.
#include "batch/options.hpp"

#include <CLI/CLI.hpp>

#include "src/exit_status.h"
#include "src/vantrel.hpp"
#include "vantrel_version.h"

namespace vantrel::batch {

namespace {

constexpr const char* kDescription =
    "Labels a table of Talairach points through the Orvo daemon, several queries at a time.";

constexpr const char* kFooter =
    R"(Input: tab-separated lines with X, Y and Z in the first three fields; further
fields are carried through. Blank lines, lines starting with '#' and a header
line (a first line whose first three fields are not numbers) are skipped.
Decimal coordinates are rounded half up to integers. A coordinate needs a digit.

Output, one entry per input line, in input order:
  tsv   the rows of Vantrel's tabular layout (X, Y, Z, then the fields; for
        Code 3 one row per label, count first), with the extra input fields
        after the first row. Comment lines starting with "# line N: " say when
        a point was rounded or converted from MNI, and report rejected lines
        and failed queries.
  json  one object per line: line, status (labelled, rejected or failed),
        point {x,y,z}, rounded_from or mni {x,y,z} when they apply, then
        fields, pairs [{count,label}] or message, extra, error, and the text
        of a rejected line.
A point is labelled when the daemon answered it, with a message such as
"outside the brain" too. A summary of labelled, rejected and failed points goes to standard error.

Exit status: 0 every point labelled; 1 usage error, unreadable input or
unknown host; 2 some lines rejected; 4 some queries failed; 6 both.)";

void addOptions(CLI::App& app, BatchOptions& options, std::string& format) {
  app.add_option("input", options.input, "Tab-separated table of points, or - for standard input")
      ->required();
  app.add_option("--code", options.code, "1 Quendel data, 2 Talairach labels, 3 cube search")
      ->check(CLI::IsMember({1, 2, 3}))
      ->capture_default_str();
  app.add_option("--cube", options.cubesize, "Cube size of a Code 3 search")
      ->check(CLI::IsMember({3, 5, 7, 9, 11}))
      ->capture_default_str();
  app.add_option("--host", options.host, "Host of the Orvo daemon")->capture_default_str();
  app.add_option("--port", options.port, "TCP port of the Orvo daemon")
      ->check(CLI::Range(1, 65535))
      ->capture_default_str();
  app.add_option("--jobs", options.jobs, "Queries in flight at once")
      ->check(CLI::Range(1U, 256U))
      ->capture_default_str();
  app.add_option("--timeout", options.timeoutSeconds, "Seconds one query may take")
      ->check(CLI::Range(0.001, 3600.0))
      ->capture_default_str();
  app.add_option("--retries", options.retries,
                 "Further attempts, after a growing pause, for a query that could not connect, "
                 "was reset or timed out")
      ->check(CLI::Range(0, 10))
      ->capture_default_str();
  app.add_option("--format", format, "tsv or json")
      ->check(CLI::IsMember({"tsv", "json"}))
      ->capture_default_str();
  app.add_flag(
      "--mni", options.mni,
      "Read MNI coordinates, convert them to Talairach with orvod's transform, report both");
}

}  // namespace

ParsedOptions parseOptions(int argc, const char* const argv[]) {
  ParsedOptions parsed;
  parsed.options.host = DAEMONHOST;
  parsed.options.port = kDaemonPort;
  CLI::App app{kDescription, "vantrel-batch"};
  app.set_version_flag("--version", "vantrel-batch " VANTREL_VERSION);
  app.footer(kFooter);
  std::string format = "tsv";
  addOptions(app, parsed.options, format);
  try {
    app.parse(argc, argv);
    if (app.count("--cube") > 0 && parsed.options.code != 3) {
      throw CLI::ValidationError("--cube", "a cube size needs --code 3");
    }
    parsed.options.format = format == "json" ? OutputFormat::kJson : OutputFormat::kTsv;
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    parsed.exitNow = status == 0 ? kExitSuccess : kExitBadInput;
  }
  return parsed;
}

}  // namespace vantrel::batch
