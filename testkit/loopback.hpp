// Socket chores of the kit on 127.0.0.1: a listener, a whole-buffer send, and a client.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::kit {

using namespace std::chrono_literals;

// A socket listening on 127.0.0.1:`port` (0 picks a free port, which `boundPort`
// receives). Throws std::runtime_error naming `who` when the port cannot be had.
int listenOnLoopback(int port, int backlog, const char* who, int& boundPort);

// Sends every byte unless the peer goes away; never raises SIGPIPE.
bool sendAll(int fd, std::string_view bytes);

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
  bool send(std::string_view bytes) { return sendAll(fd_, bytes); }
  void shutdownSending();
  // Closes at once with a reset, as a client that crashed or gave up would.
  void reset();
  // Everything up to the server's close, a timeout or an error.
  std::string receiveAll();

 private:
  int fd_ = -1;
};

// The client's exchange: the text in a NUL-padded block, then the whole reply.
std::string queryBlock(std::uint16_t port, std::string_view text,
                       std::chrono::milliseconds patience = 10s);

}  // namespace vantrel::kit
