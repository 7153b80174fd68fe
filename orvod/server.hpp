// The network side of the daemon: one request per TCP connection, each under a deadline.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "src/protocol/protocol.hpp"

namespace orvod {

struct ServerOptions {
  std::string address = "127.0.0.1";
  std::uint16_t port =
      vantrel::protocol::kPort;  // 0 lets the system choose; endpoint() tells which
  std::chrono::milliseconds timeout{5000};
  unsigned threads = 1;
};

// Maps what a client sent (its request block, or as much as arrived before it closed) to the
// reply text. Called concurrently from every serving thread.
using AnswerFunction = std::function<std::string(std::string_view)>;

class Server {
 public:
  // Binds and listens at once; throws std::system_error when it cannot.
  Server(const ServerOptions& options, AnswerFunction answer);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // "address:port" as bound, IPv6 addresses in brackets.
  std::string endpoint() const;

  // Serves until SIGINT or SIGTERM arrives, then drops open connections and returns.
  void run();
  // Makes run() return, as a signal does; callable from any thread.
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace orvod
