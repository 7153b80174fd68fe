// Runs programs for tests and benchmarks: to completion with their output
// captured, or in the background with their standard error on a pipe.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

namespace vantrel::kit {

using namespace std::chrono_literals;

struct ProcessResult {
  std::string out;
  std::string err;
  int exitStatus = -1;  // 0..255, or -1 when the process did not exit normally
  bool timedOut = false;
};

// Runs `program` with `args` (argv[1] onwards) and `extraEnv` entries
// ("NAME=value") added to the environment; standard input is /dev/null. A
// process that outlives `limit` is killed and reported with timedOut set. The
// default only stops a program that hangs: under the sanitizers, on a machine
// running two test programs at once, loading the atlases alone can take 30 s.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& extraEnv = {},
                         std::chrono::milliseconds limit = 120s);

// A program running beside the caller, its standard input /dev/null; the
// destructor stops it with SIGTERM. Throws std::runtime_error when it cannot start.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& args);
  ~ChildProcess() { stop(SIGTERM); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // The next line of its standard error, without the line end; what has come
  // when `limit` passes or the pipe closes.
  std::string readErrorLine(std::chrono::milliseconds limit);
  // Sends `signal` and waits up to 10 s; the exit status, or -1 if it had to be killed.
  int stop(int signal);

 private:
  int stderrFd_ = -1;  // before pid_, whose initialiser fills it
  pid_t pid_ = -1;
};

}  // namespace vantrel::kit
