// vantrel-batch's entry point: labels a table of points through the Orvo daemon.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

#include "tables/point_table.hpp"
#include "batch/batch_run.hpp"
#include "batch/options.hpp"
#include "batch/progress_bar.hpp"
#include "src/exchange/exchange.hpp"
#include "src/exit_status.h"

namespace {

using namespace vantrel;

std::vector<atlas::InputLine> readInput(const batch::BatchOptions& options, bool& readable) {
  if (options.input == "-") {
    readable = true;
    return atlas::readTable(std::cin, options.mni);
  }
  std::ifstream file(options.input);
  readable = file.is_open();
  if (!readable) {
    std::fprintf(stderr, "vantrel-batch: cannot read %s: %s\n", options.input.c_str(),
                 std::strerror(errno));
    return {};
  }
  return atlas::readTable(file, options.mni);
}

}  // namespace

int main(int argc, char* argv[]) {
  std::ios::sync_with_stdio(false);
  const batch::ParsedOptions parsed = batch::parseOptions(argc, argv);
  if (parsed.exitNow) {
    return *parsed.exitNow;
  }
  const batch::BatchOptions& options = parsed.options;
  bool readable = false;
  const std::vector<atlas::InputLine> table = readInput(options, readable);
  if (!readable) {
    return kExitBadInput;
  }
  // One lookup serves the whole table.
  sockaddr_in daemon{};
  if (!exchange::resolveDaemon(options.host.c_str(), options.port, daemon)) {
    std::fprintf(stderr, "vantrel-batch: cannot find host %s\n", options.host.c_str());
    return kExitBadInput;
  }
  batch::ProgressBar progress(stderr, table.size(),
                              batch::progressWanted(STDERR_FILENO, table.size()));
  const batch::BatchSummary summary = batch::labelTable(table, options, daemon, stdout, progress);
  std::fputs(batch::summaryLine(summary).c_str(), stderr);
  return batch::exitStatusFor(summary);
}
