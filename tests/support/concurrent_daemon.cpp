// The concurrent test daemon: an accept thread and a pool of answering threads.
#include "support/concurrent_daemon.hpp"

#include "support/loopback.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace vantrel::testing {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t kServingThreads = 16;
constexpr milliseconds kSlice{10};
constexpr milliseconds kRequestLimit{2000};
constexpr std::size_t kRequestBlockSize = 8192;

bool readable(int fd, milliseconds within) {
  pollfd watch{fd, POLLIN, 0};
  return poll(&watch, 1, static_cast<int>(within.count())) > 0;
}

// Reads until the NUL that ends the query text, the whole block, or the limit.
std::string readQuery(int fd) {
  std::string request;
  const auto deadline = Clock::now() + kRequestLimit;
  while (request.size() < kRequestBlockSize && request.find('\0') == std::string::npos &&
         Clock::now() < deadline) {
    if (!readable(fd, kSlice)) {
      continue;
    }
    std::array<char, kRequestBlockSize> chunk;
    const ssize_t got = recv(fd, chunk.data(), kRequestBlockSize - request.size(), 0);
    if (got <= 0) {
      break;
    }
    request.append(chunk.data(), static_cast<std::size_t>(got));
  }
  return request.substr(0, request.find('\0'));
}

}  // namespace

ConcurrentDaemon::ConcurrentDaemon(Responder responder, std::size_t acceptLimit)
    : responder_(std::move(responder)),
      acceptLimit_(acceptLimit),
      listenFd_(listenOnLoopback(0, 128, "concurrent test daemon", port_)) {
  for (std::size_t i = 0; i < kServingThreads; ++i) {
    servers_.emplace_back([this] { serveLoop(); });
  }
  acceptor_ = std::thread([this] { acceptLoop(); });
}

ConcurrentDaemon::~ConcurrentDaemon() {
  stop_ = true;
  wake_.notify_all();
  acceptor_.join();
  for (std::thread& server : servers_) {
    server.join();
  }
  for (int fd : pending_) {
    close(fd);
  }
  if (listenFd_ >= 0) {
    close(listenFd_);
  }
}

void ConcurrentDaemon::acceptLoop() {
  while (!stop_ && accepted_ < acceptLimit_) {
    if (!readable(listenFd_, kSlice)) {
      continue;
    }
    const int fd = accept(listenFd_, nullptr, nullptr);
    if (fd < 0) {
      continue;
    }
    ++accepted_;
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_.push_back(fd);
    wake_.notify_one();
  }
  // Past its limit the daemon refuses every further connection, as a dead one does.
  close(listenFd_);
  listenFd_ = -1;
}

void ConcurrentDaemon::serveLoop() {
  while (!stop_) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, kSlice, [this] { return stop_ || !pending_.empty(); });
    if (pending_.empty()) {
      continue;
    }
    const int fd = pending_.front();
    pending_.pop_front();
    lock.unlock();
    serve(fd);
  }
}

void ConcurrentDaemon::serve(int fd) {
  const PointReply reply = responder_(readQuery(fd));
  if (reply.silent) {
    while (pause(kRequestLimit)) {
    }
  } else if (pause(reply.delay)) {
    sendAll(fd, reply.text);
  }
  close(fd);
}

// Sleeps in short slices; false when the daemon was stopped meanwhile.
bool ConcurrentDaemon::pause(milliseconds span) const {
  const auto deadline = Clock::now() + span;
  while (!stop_ && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::min(kSlice, span));
  }
  return !stop_;
}

}  // namespace vantrel::testing
