// A stand-in Orvo daemon on a free loopback port that serves many clients at once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::testing {

// What the daemon does with one request: wait `delay`, then send `text` and
// close. A silent reply holds the connection open until the daemon stops.
struct PointReply {
  std::string text;
  std::chrono::milliseconds delay{0};
  bool silent = false;
};

// Decides the reply from the query text (the request block up to its NUL).
using Responder = std::function<PointReply(const std::string& query)>;

// Listens on 127.0.0.1 at a port the system picks, answers with a fixed pool
// of threads, and after `acceptLimit` connections stops listening, as a daemon
// that died would. Every wait is bounded and the destructor stops everything.
class ConcurrentDaemon {
 public:
  explicit ConcurrentDaemon(Responder responder,
                            std::size_t acceptLimit = std::numeric_limits<std::size_t>::max());
  ~ConcurrentDaemon();
  ConcurrentDaemon(const ConcurrentDaemon&) = delete;
  ConcurrentDaemon& operator=(const ConcurrentDaemon&) = delete;

  int port() const { return port_; }
  std::size_t accepted() const { return accepted_; }

 private:
  void acceptLoop();
  void serveLoop();
  void serve(int fd);
  bool pause(std::chrono::milliseconds span) const;

  Responder responder_;
  std::size_t acceptLimit_;
  int port_ = 0;  // before listenFd_, whose initialiser fills it
  int listenFd_ = -1;
  std::atomic<std::size_t> accepted_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<int> pending_;
  std::thread acceptor_;
  std::vector<std::thread> servers_;
};

}  // namespace vantrel::testing
