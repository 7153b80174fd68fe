// How a table run ends: what became of its lines, the line that sums them up, the exit status.
#pragma once

#include <cstddef>
#include <string>

namespace tables {

struct RunCounts {
  std::size_t labelled = 0;
  std::size_t rejected = 0;
  std::size_t failed = 0;  // queries that got no answer
};

// Only a run that asks a daemon can fail a point, and only its summary counts failures.
enum class Failures { kCounted, kImpossible };

// "<program>: N labelled, M rejected, K failed" and a line end; without the failures when they
// are impossible.
std::string summaryLine(const char* program, const RunCounts& counts, Failures failures);

// Rejected lines and failed queries each have their status, and the two add up when both occur.
int exitStatusFor(const RunCounts& counts);

// Writes the summary line to standard error and gives the exit status.
int endRun(const char* program, const RunCounts& counts, Failures failures);

}  // namespace tables
