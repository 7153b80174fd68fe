// Test support: runs the built orvod binary and talks to it the way the Vantrel client does.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvod::testing {

using namespace std::chrono_literals;

// Starts ORVOD_BINARY and waits up to 20 s for its readiness line; the destructor stops it.
class DaemonProcess {
 public:
  explicit DaemonProcess(const std::vector<std::string>& arguments);
  ~DaemonProcess() { stop(SIGTERM); }
  DaemonProcess(const DaemonProcess&) = delete;
  DaemonProcess& operator=(const DaemonProcess&) = delete;

  bool ready() const { return port_ != 0; }
  pid_t pid() const { return pid_; }
  std::uint16_t port() const { return port_; }
  const std::string& readinessLine() const { return readinessLine_; }

  // Sends `signal` and waits up to 10 s; the exit status, or -1 if it had to be killed.
  int stop(int signal);

 private:
  pid_t pid_ = -1;
  int stderrFd_ = -1;
  std::uint16_t port_ = 0;
  std::string readinessLine_;
};

struct SocketOptions {
  std::chrono::milliseconds patience = 10s;  // how long one send or receive may wait
  int receiveBufferBytes = 0;                // 0: the system's default
};

// A loopback TCP connection whose sends and receives give up after a while.
class ClientSocket {
 public:
  explicit ClientSocket(std::uint16_t port, SocketOptions options = {});
  ~ClientSocket();
  ClientSocket(ClientSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  ClientSocket(const ClientSocket&) = delete;
  ClientSocket& operator=(const ClientSocket&) = delete;
  ClientSocket& operator=(ClientSocket&&) = delete;

  bool connected() const { return fd_ >= 0; }
  bool send(std::string_view bytes);
  void shutdownSending();
  // Closes at once with a reset, as a client that crashed or gave up would.
  void reset();
  // Everything up to the server's close, a timeout or an error.
  std::string receiveAll();

 private:
  int fd_ = -1;
};

// The client's exchange: the text in a NUL-padded 8192-byte block, then the whole reply.
std::string queryBlock(std::uint16_t port, std::string_view text,
                       std::chrono::milliseconds patience = 10s);

}  // namespace orvod::testing
