// How a table run ends: what became of its lines, the words that sum them up, the exit status.
#include "tables/run_summary.hpp"

#include "src/exit_status.h"

namespace tables {

std::string summaryOf(const RunCounts& counts, Failures failures) {
  std::string summary = std::to_string(counts.labelled) + " labelled, " +
                        std::to_string(counts.rejected) + " rejected";
  if (failures == Failures::kCounted) {
    summary += ", " + std::to_string(counts.failed) + " failed";
  }
  return summary;
}

int exitStatusFor(const RunCounts& counts) {
  return (counts.rejected > 0 ? vantrel::kExitBatchRejectedLines : vantrel::kExitSuccess) +
         (counts.failed > 0 ? vantrel::kExitBatchFailedQueries : vantrel::kExitSuccess);
}

}  // namespace tables
