// The fake daemon: an accepting thread and a thread per connection, all waits bounded.
#include "testkit/fake_daemon.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>

#include "testkit/loopback.hpp"
#include "src/protocol/protocol.hpp"

namespace vantrel::kit {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kSlice{10};
constexpr milliseconds kRequestLimit{5000};
constexpr milliseconds kFinishLimit{10000};
constexpr milliseconds kSilence{30000};

bool readable(int fd, milliseconds within) {
  pollfd watch{fd, POLLIN, 0};
  return poll(&watch, 1, static_cast<int>(within.count())) > 0;
}

// Reads until the whole block has come, the client stops sending, or the limit.
std::string readRequest(int fd, const std::atomic<bool>& stop) {
  std::string request;
  const auto deadline = Clock::now() + kRequestLimit;
  while (request.size() < protocol::kBlockSize && !stop && Clock::now() < deadline) {
    if (!readable(fd, kSlice)) {
      continue;
    }
    std::array<char, protocol::kBlockSize> chunk;
    const ssize_t got = recv(fd, chunk.data(), protocol::kBlockSize - request.size(), 0);
    if (got <= 0) {
      break;
    }
    request.append(chunk.data(), static_cast<std::size_t>(got));
  }
  return request;
}

}  // namespace

Reply replyWith(std::string text, milliseconds delay) {
  Reply reply;
  reply.chunks.push_back(std::move(text));
  reply.delay = delay;
  return reply;
}

Reply silence() {
  Reply reply;
  reply.holdOpen = kSilence;
  return reply;
}

Responder scripted(std::vector<Reply> replies) {
  auto next = std::make_shared<std::atomic<std::size_t>>(0);
  return [replies = std::move(replies), next](const std::string&) {
    const std::size_t step = (*next)++;
    return step < replies.size() ? replies[step] : Reply{};
  };
}

std::string queryText(const std::string& request) {
  return request.substr(0, request.find('\0'));
}

FakeDaemon::FakeDaemon(Responder responder, int port, std::size_t acceptLimit)
    : responder_(std::move(responder)),
      acceptLimit_(acceptLimit),
      listenFd_(listenOnLoopback(port, 128, "fake daemon", port_)),
      acceptor_([this] { acceptLoop(); }) {}

FakeDaemon::~FakeDaemon() {
  stop_ = true;
  acceptor_.join();
  joinServers();
}

void FakeDaemon::joinServers() {
  for (std::thread& server : servers_) {
    server.join();
  }
  servers_.clear();
  finished_ = 0;
}

std::vector<std::string> FakeDaemon::finish() {
  const auto deadline = Clock::now() + kFinishLimit;
  while (served_ < acceptLimit_ && Clock::now() < deadline) {
    std::this_thread::sleep_for(kSlice);
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void FakeDaemon::acceptLoop() {
  while (!stop_ && accepted_ < acceptLimit_) {
    if (!readable(listenFd_, kSlice)) {
      continue;
    }
    const int fd = accept(listenFd_, nullptr, nullptr);
    if (fd < 0) {
      continue;
    }
    ++accepted_;
    // A long run of one client after another keeps no finished threads about.
    if (finished_ == servers_.size()) {
      joinServers();
    }
    servers_.emplace_back([this, fd] { serve(fd); });
  }
  // Past its limit the daemon refuses every further connection, as a dead one does.
  close(listenFd_);
  listenFd_ = -1;
}

void FakeDaemon::serve(int fd) {
  const std::string request = readRequest(fd, stop_);
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
  }
  const Reply reply = responder_(request);
  bool going = pause(reply.delay);
  for (std::size_t i = 0; going && i < reply.chunks.size(); ++i) {
    going = (i == 0 || pause(reply.pauseBetweenChunks)) && sendAll(fd, reply.chunks[i]);
  }
  if (going) {
    pause(reply.holdOpen);
  }
  close(fd);
  ++served_;
  ++finished_;
}

// Sleeps in short slices; false when the daemon was stopped meanwhile.
bool FakeDaemon::pause(milliseconds span) const {
  const auto deadline = Clock::now() + span;
  while (!stop_ && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::min(kSlice, span));
  }
  return !stop_;
}

}  // namespace vantrel::kit
