// How a table run ends: what became of its lines, the words that sum them up, the exit status.
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

// "N labelled, M rejected, K failed"; without the failures when they are impossible. The
// program prints it under its own name.
std::string summaryOf(const RunCounts& counts, Failures failures);

// Rejected lines and failed queries each have their status, and the two add up when both occur.
int exitStatusFor(const RunCounts& counts);

}  // namespace tables
