// orvod as a process: started, known ready by its first line, stopped by a signal.
#include "testkit/daemon_process.hpp"

namespace vantrel::kit {

// orvod builds its cube answer table before it listens: a fraction of a second in a release
// build, but over ten seconds under the sanitizers with two test programs sharing the cores.
constexpr auto kReadinessWait = 90s;

DaemonProcess::DaemonProcess(const std::string& binary, const std::vector<std::string>& arguments)
    : child_(binary, arguments), readinessLine_(child_.readErrorLine(kReadinessWait)) {
  const std::string prefix = "orvod: listening on ";
  if (child_.pid() > 0 && readinessLine_.starts_with(prefix)) {
    port_ =
        static_cast<std::uint16_t>(std::stoi(readinessLine_.substr(readinessLine_.rfind(':') + 1)));
  }
}

int DaemonProcess::stop(int signal) {
  port_ = 0;
  return child_.stop(signal);
}

}  // namespace vantrel::kit
