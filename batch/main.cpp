// vantrel-batch's entry point: labels a table of points through the Orvo daemon.
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "tables/point_table.hpp"
#include "tables/run_summary.hpp"
#include "tables/table_input.hpp"
#include "batch/batch_run.hpp"
#include "batch/options.hpp"
#include "batch/progress_bar.hpp"
#include "src/exchange/exchange.hpp"
#include "src/exit_status.h"

using namespace vantrel;

int main(int argc, char* argv[]) {
  std::ios::sync_with_stdio(false);
  const batch::ParsedOptions parsed = batch::parseOptions(argc, argv);
  if (parsed.exitNow) {
    return *parsed.exitNow;
  }
  const batch::BatchOptions& options = parsed.options;
  tables::TableInput input("vantrel-batch", options.input);
  if (!input.readable()) {
    return kExitBadInput;
  }
  const std::vector<tables::InputLine> table = tables::readTable(input.stream(), options.mni);
  // One lookup serves the whole table.
  sockaddr_in daemon{};
  if (!exchange::resolveDaemon(options.host.c_str(), options.port, daemon)) {
    std::fprintf(stderr, "vantrel-batch: cannot find host %s\n", options.host.c_str());
    return kExitBadInput;
  }
  batch::ProgressBar progress(stderr, table.size(),
                              batch::progressWanted(STDERR_FILENO, table.size()));
  const tables::RunCounts counts = batch::labelTable(table, options, daemon, stdout, progress);
  return tables::endRun("vantrel-batch", counts, tables::Failures::kCounted);
}
