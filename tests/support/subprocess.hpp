// Runs a program to completion and captures what it printed, for end-to-end tests.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vantrel::testing {

struct ProcessResult {
  std::string out;
  std::string err;
  int exitStatus = -1;  // 0..255, or -1 when the process did not exit normally
  bool timedOut = false;
};

// Runs `program` with `args` (argv[1] onwards) and `extraEnv` entries
// ("NAME=value") added to the environment. A process that outlives `limit` is
// killed and reported with timedOut set.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& extraEnv = {},
                         std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace vantrel::testing
