// orvod run as a process, for the tests of the real binary and for the benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testkit/process.hpp"

namespace vantrel::kit {

// Starts `binary` with `arguments` and waits up to 90 s for its readiness
// line, "orvod: listening on ADDR:PORT"; the destructor stops it.
class DaemonProcess {
 public:
  DaemonProcess(const std::string& binary, const std::vector<std::string>& arguments);

  bool ready() const { return port_ != 0; }
  pid_t pid() const { return child_.pid(); }
  std::uint16_t port() const { return port_; }
  const std::string& readinessLine() const { return readinessLine_; }

  // Sends `signal` and waits up to 10 s; the exit status, or -1 if it had to be killed.
  int stop(int signal);

 private:
  ChildProcess child_;
  std::string readinessLine_;
  std::uint16_t port_ = 0;
};

}  // namespace vantrel::kit
