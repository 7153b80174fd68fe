// A stand-in Orvo daemon on a loopback port: a callback decides each reply.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "src/protocol/protocol.hpp"

namespace vantrel::kit {

// What the daemon does with one connection once it has read the request:
// wait `delay`, send the chunks in order (none closes without a reply), then
// keep the connection open for `holdOpen` or until the daemon stops.
struct Reply {
  std::vector<std::string> chunks;
  std::chrono::milliseconds pauseBetweenChunks{0};
  std::chrono::milliseconds holdOpen{0};
  std::chrono::milliseconds delay{0};
};

Reply replyWith(std::string text, std::chrono::milliseconds delay = {});
// A reply that never comes: the connection stays open until the daemon stops.
Reply silence();

// Decides the reply from the request: the bytes read, up to one whole block.
using Responder = std::function<Reply(const std::string& request)>;

// The n-th connection gets the n-th reply; there should be no more connections than replies.
Responder scripted(std::vector<Reply> replies);

// The query text of a request: its bytes up to the first NUL.
std::string queryText(const std::string& request);

inline constexpr std::size_t kNoAcceptLimit = std::numeric_limits<std::size_t>::max();

// Listens on 127.0.0.1:`port` (0: a port the system picks) as soon as it is
// constructed and serves every client on a thread of its own. After `acceptLimit`
// connections it stops listening, as a daemon that died would. Every wait is
// bounded and the destructor stops everything, dropping open connections.
class FakeDaemon {
 public:
  explicit FakeDaemon(Responder responder, int port = 0, std::size_t acceptLimit = kNoAcceptLimit);
  ~FakeDaemon();
  FakeDaemon(const FakeDaemon&) = delete;
  FakeDaemon& operator=(const FakeDaemon&) = delete;

  int port() const { return port_; }
  std::size_t accepted() const { return accepted_; }

  // Waits until `acceptLimit` connections have been served (at most 10 s),
  // then returns each request read, in the order they were read.
  std::vector<std::string> finish();

 private:
  void acceptLoop();
  void serve(int fd);
  void joinServers();
  bool pause(std::chrono::milliseconds span) const;

  Responder responder_;
  std::size_t acceptLimit_;
  int port_ = 0;  // before listenFd_, whose initialiser fills it
  int listenFd_ = -1;
  std::atomic<std::size_t> accepted_{0};
  std::atomic<std::size_t> served_{0};
  std::atomic<std::size_t> finished_{0};  // of the threads in servers_
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::thread> servers_;  // one per connection, joined by the destructor
  std::thread acceptor_;
};

// The daemon that Vantrel itself asks, on the protocol's port: the n-th
// connection gets the n-th reply, and after the last it stops listening.
class ScriptedDaemon : public FakeDaemon {
 public:
  explicit ScriptedDaemon(const std::vector<Reply>& replies)
      : FakeDaemon(scripted(replies), protocol::kPort, replies.size()) {}
};

}  // namespace vantrel::kit
