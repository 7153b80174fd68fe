// A whole run of a program with its output thrown away, timed, and the median of such runs.
#pragma once

#include <string>
#include <vector>

namespace vantrel::bench {

struct TimedRun {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system, every thread
  double peakMiB = 0;
  int status = -1;  // the exit status; -1 when it did not start or did not exit
};

// Runs args[0] with args[1...], standard output and error to /dev/null: a benchmark measures
// the work, not the terminal.
TimedRun runTimed(std::vector<std::string> args);

// The middle value, the upper of the two middle ones for an even count; 0 for none.
double medianOf(std::vector<double> values);

}  // namespace vantrel::bench
