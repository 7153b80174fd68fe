// vantrel-batch's command: its options, declared with CLI11, and the run that labels a table of
// points through the Orvo daemon; the help text documents the output and the exit statuses.
#include <unistd.h>

#include "batch/batch_run.hpp"
#include "batch/options.hpp"
#include "batch/progress_bar.hpp"
#include "src/exchange/exchange.hpp"
#include "src/exit_status.h"
#include "tables/point_table.hpp"
#include "tables/run_summary.hpp"
#include "tables/table_input.hpp"

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

void declareBatch(CLI::App& cli, BatchOptions& options) {
  cli.footer(kFooter);
  cli.add_option("input", options.input, "Tab-separated table of points, or - for standard input")
      ->required();
  cli.add_option("--code", options.code, "1 Quendel data, 2 Talairach labels, 3 cube search")
      ->check(CLI::IsMember({1, 2, 3}))
      ->capture_default_str();
  CLI::Option* cube = cli.add_option("--cube", options.cubesize, "Cube size of a Code 3 search")
                          ->check(CLI::IsMember({3, 5, 7, 9, 11}))
                          ->capture_default_str();
  cli.add_option("--host", options.host, "Host of the Orvo daemon")->capture_default_str();
  cli.add_option("--port", options.port, "TCP port of the Orvo daemon")
      ->check(CLI::Range(1, 65535))
      ->capture_default_str();
  cli.add_option("--jobs", options.jobs, "Queries in flight at once")
      ->check(CLI::Range(1U, 256U))
      ->capture_default_str();
  cli.add_option("--timeout", options.timeoutSeconds, "Seconds one query may take")
      ->check(CLI::Range(0.001, 3600.0))
      ->capture_default_str();
  cli.add_option("--retries", options.retries,
                 "Further attempts, after a growing pause, for a query that could not connect, "
                 "was reset or timed out")
      ->check(CLI::Range(0, 10))
      ->capture_default_str();
  cli.add_option_function<std::string>(
         "--format",
         [&options](const std::string& name) {
           options.format = name == "json" ? OutputFormat::kJson : OutputFormat::kTsv;
         },
         "tsv or json")
      ->check(CLI::IsMember({"tsv", "json"}))
      ->default_str("tsv");
  cli.add_flag(
      "--mni", options.mni,
      "Read MNI coordinates, convert them to Talairach with orvod's transform, report both");
  cli.callback([&options, cube] {
    if (cube->count() > 0 && options.code != 3) {
      throw CLI::ValidationError("--cube", "a cube size needs --code 3");
    }
  });
}

int runBatch(const BatchOptions& options) {
  tables::TableInput input(options.input);
  const std::vector<tables::InputLine> table = tables::readTable(input.stream(), options.mni);
  // One lookup serves the whole table.
  sockaddr_in daemon{};
  if (!exchange::resolveDaemon(options.host.c_str(), options.port, daemon)) {
    throw app::Error(app::Failure::kUnknownHost, "cannot find host " + options.host);
  }
  ProgressBar progress(stderr, table.size(), progressWanted(STDERR_FILENO, table.size()));
  const tables::RunCounts counts = labelTable(table, options, daemon, stdout, progress);
  app::message(tables::summaryOf(counts, tables::Failures::kCounted));
  return tables::exitStatusFor(counts);
}

// Every failure stops the run before any query; what a run found adds up, 6 being both.
app::ExitTable exitTable() {
  using app::Failure;
  const std::vector<Failure> beforeAnyQuery = {Failure::kUsage, Failure::kUnreadableInput,
                                               Failure::kUnknownHost, Failure::kBadInput};
  return {{kExitSuccess, {}},
          {kExitBadInput, beforeAnyQuery},
          {kExitBatchRejectedLines, {}},
          {kExitBatchFailedQueries, {}},
          {kExitBatchRejectedLines + kExitBatchFailedQueries, {}}};
}

}  // namespace

app::Program program() {
  return {.name = "vantrel-batch",
          .description = kDescription,
          .exits = exitTable(),
          .commands = {app::command("", declareBatch, runBatch)}};
}

}  // namespace vantrel::batch
