// A stand-in Orvo daemon on 127.0.0.1:1600 that follows a script and records each request.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::testing {

inline constexpr int kScriptDaemonPort = 1600;

// What the daemon does with one connection, after it has read the request.
struct DaemonStep {
  std::vector<std::string> chunks;  // sent in order; none closes without a reply
  std::chrono::milliseconds pauseBetweenChunks{0};
  // Keeps the connection open after the last chunk, until this passes or the
  // daemon is stopped, whichever comes first.
  std::chrono::milliseconds holdOpen{0};
};

// Listens as soon as it is constructed, serves one connection per step in a
// background thread and stops it on destruction. Every wait is bounded.
class ScriptDaemon {
 public:
  explicit ScriptDaemon(std::vector<DaemonStep> steps);
  ~ScriptDaemon();
  ScriptDaemon(const ScriptDaemon&) = delete;
  ScriptDaemon& operator=(const ScriptDaemon&) = delete;

  // Waits for the script to end (or for its time limit), then returns the
  // bytes of each request read, one entry per connection accepted.
  std::vector<std::string> finish();

 private:
  void serve();
  bool serveStep(const DaemonStep& step);
  void waitUntilStopped(std::chrono::milliseconds span);

  std::vector<DaemonStep> steps_;
  std::vector<std::string> requests_;
  int boundPort_ = 0;  // before listenFd_, whose initialiser fills it
  int listenFd_ = -1;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

}  // namespace vantrel::testing
