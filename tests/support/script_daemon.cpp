// The scripted test daemon: one accepted connection per step, all waits bounded.
#include "support/script_daemon.hpp"

#include "support/loopback.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace vantrel::testing {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kAcceptLimit{10000};
constexpr milliseconds kRequestLimit{5000};
constexpr milliseconds kStopCheck{20};
constexpr std::size_t kRequestBlockSize = 8192;

// Waits for `fd` to become readable in short slices so that a stop request is
// seen promptly; false when `limit` passes or the daemon is stopped.
bool readableWithin(int fd, milliseconds limit, const std::atomic<bool>& stop) {
  const auto deadline = Clock::now() + limit;
  while (!stop && Clock::now() < deadline) {
    pollfd watch{fd, POLLIN, 0};
    if (poll(&watch, 1, static_cast<int>(kStopCheck.count())) > 0) {
      return true;
    }
  }
  return false;
}

std::string readRequest(int fd, const std::atomic<bool>& stop) {
  std::string request;
  const auto deadline = Clock::now() + kRequestLimit;
  while (request.size() < kRequestBlockSize && Clock::now() < deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (!readableWithin(fd, left, stop)) {
      break;
    }
    std::array<char, kRequestBlockSize> chunk;
    const ssize_t got = recv(fd, chunk.data(), kRequestBlockSize - request.size(), 0);
    if (got <= 0) {
      break;
    }
    request.append(chunk.data(), static_cast<std::size_t>(got));
  }
  return request;
}

}  // namespace

ScriptDaemon::ScriptDaemon(std::vector<DaemonStep> steps)
    : steps_(std::move(steps)),
      listenFd_(listenOnLoopback(kScriptDaemonPort, 8, "test daemon", boundPort_)) {
  worker_ = std::thread([this] { serve(); });
}

ScriptDaemon::~ScriptDaemon() {
  stop_ = true;
  if (worker_.joinable()) {
    worker_.join();
  }
  close(listenFd_);
}

std::vector<std::string> ScriptDaemon::finish() {
  if (worker_.joinable()) {
    worker_.join();
  }
  return requests_;
}

void ScriptDaemon::serve() {
  for (const DaemonStep& step : steps_) {
    if (!serveStep(step)) {
      return;
    }
  }
}

bool ScriptDaemon::serveStep(const DaemonStep& step) {
  if (!readableWithin(listenFd_, kAcceptLimit, stop_)) {
    return false;
  }
  const int fd = accept(listenFd_, nullptr, nullptr);
  if (fd < 0) {
    return false;
  }
  requests_.push_back(readRequest(fd, stop_));
  for (std::size_t i = 0; i < step.chunks.size(); ++i) {
    if (i > 0) {
      waitUntilStopped(step.pauseBetweenChunks);
    }
    sendAll(fd, step.chunks[i]);
  }
  waitUntilStopped(step.holdOpen);
  close(fd);
  return true;
}

void ScriptDaemon::waitUntilStopped(milliseconds span) {
  const auto deadline = Clock::now() + span;
  while (!stop_ && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::min(kStopCheck, span));
  }
}

}  // namespace vantrel::testing
