// How a table run ends: what became of its lines, the line that sums them up, the exit status.
#include "tables/run_summary.hpp"

#include <cstdio>

#include "src/exit_status.h"

namespace tables {

std::string summaryLine(const char* program, const RunCounts& counts, Failures failures) {
  std::string line = std::string(program) + ": " + std::to_string(counts.labelled) + " labelled, " +
                     std::to_string(counts.rejected) + " rejected";
  if (failures == Failures::kCounted) {
    line += ", " + std::to_string(counts.failed) + " failed";
  }
  return line + '\n';
}

int exitStatusFor(const RunCounts& counts) {
  return (counts.rejected > 0 ? vantrel::kExitBatchRejectedLines : vantrel::kExitSuccess) +
         (counts.failed > 0 ? vantrel::kExitBatchFailedQueries : vantrel::kExitSuccess);
}

int endRun(const char* program, const RunCounts& counts, Failures failures) {
  std::fputs(summaryLine(program, counts, failures).c_str(), stderr);
  return exitStatusFor(counts);
}

}  // namespace tables
