// Test support: runs the built orvod binary and talks to it the way the Vantrel client does.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvod::testing {

using namespace std::chrono_literals;

// Starts ORVOD_BINARY with `arguments` and waits up to `readyWithin` for its readiness line.
// The destructor stops it with SIGTERM, and SIGKILL if it lingers.
class DaemonProcess {
 public:
  explicit DaemonProcess(const std::vector<std::string>& arguments,
                         std::chrono::milliseconds readyWithin = 20s);
  ~DaemonProcess();
  DaemonProcess(const DaemonProcess&) = delete;
  DaemonProcess& operator=(const DaemonProcess&) = delete;

  bool ready() const { return port_ != 0; }
  pid_t pid() const { return pid_; }
  std::uint16_t port() const { return port_; }
  const std::string& readinessLine() const { return readinessLine_; }

  // Sends `signal` and waits up to `within` for the exit; returns the exit status, or -1 when
  // the process did not exit normally in time (it is then killed).
  int stop(int signal, std::chrono::milliseconds within = 10s);

 private:
  pid_t pid_ = -1;
  int stderrFd_ = -1;
  std::uint16_t port_ = 0;
  std::string readinessLine_;
};

// Runs ORVOD_BINARY to completion with `arguments`; returns its exit status and its output.
struct RunResult {
  int status = -1;
  std::string out, err;
};
RunResult runToCompletion(const std::vector<std::string>& arguments,
                          std::chrono::milliseconds within = 20s);

// A connected loopback TCP socket whose sends and receives give up after `timeout`.
class ClientSocket {
 public:
  ClientSocket(std::uint16_t port, std::chrono::milliseconds timeout = 10s);
  ~ClientSocket();
  ClientSocket(ClientSocket&& other) noexcept;
  ClientSocket(const ClientSocket&) = delete;
  ClientSocket& operator=(const ClientSocket&) = delete;
  ClientSocket& operator=(ClientSocket&&) = delete;

  bool connected() const { return fd_ >= 0; }
  bool send(std::string_view bytes);
  void shutdownSending();
  // Everything up to the server's close; stops early on a timeout or error.
  std::string receiveAll();

 private:
  int fd_ = -1;
};

// The client's exchange: the request text in a NUL-padded 8192-byte block, then the reply.
std::string queryBlock(std::uint16_t port, std::string_view text);

// Lets one test process hold many sockets at once.
void raiseDescriptorLimit();

}  // namespace orvod::testing
