// Send and receive loops of the daemon exchange.
#include "exchange/exchange_io.hpp"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vantrel::exchange {

namespace {

// Waits for `events` on the socket for at most `milliseconds` (-1: no limit).
bool readyWithin(int socketFd, short events, int milliseconds) {
  pollfd watch{socketFd, events, 0};
  int ready = 0;
  do {
    ready = poll(&watch, 1, milliseconds);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

int graceMillisecondsLeft(const Deadline& deadline) {
  const int grace = static_cast<int>(kReplyGracePeriod.count());
  return deadline ? std::min(grace, pollMillisecondsLeft(deadline)) : grace;
}

}  // namespace

int pollMillisecondsLeft(const Deadline& deadline) {
  if (!deadline) {
    return -1;
  }
  const auto left = *deadline - Clock::now();
  if (left <= Clock::duration::zero()) {
    return 0;
  }
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

bool deadlinePassed(const Deadline& deadline) {
  return deadline && Clock::now() >= *deadline;
}

// MSG_NOSIGNAL turns a vanished peer into EPIPE instead of a killed process.
// With a deadline no send may block: a full socket buffer is waited out by
// poll, which the deadline bounds.
bool sendWholeBlock(int socketFd, const TextBuffer& block, const Deadline& deadline) {
  const int flags = MSG_NOSIGNAL | (deadline ? MSG_DONTWAIT : 0);
  std::size_t sent = 0;
  while (sent < block.size()) {
    const ssize_t took = send(socketFd, block.data() + sent, block.size() - sent, flags);
    if (took < 0 && errno == EINTR) {
      continue;
    }
    if (took < 0 && deadline && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!readyWithin(socketFd, POLLOUT, pollMillisecondsLeft(deadline))) {
        return false;
      }
      continue;
    }
    if (took <= 0) {
      return false;
    }
    sent += static_cast<std::size_t>(took);
  }
  return true;
}

// The last byte of the answer is never received into, so the text always keeps
// its terminator. A failure after data has come ends the reply like a close.
// The first receive waits, by poll when there is a deadline; every later one
// tries first and waits by poll only when nothing is there yet, since the close
// that usually follows a reply has mostly arrived by then.
ssize_t receiveReply(int socketFd, TextBuffer& answer, const Deadline& deadline) {
  std::size_t held = 0;
  while (held < kMaxTextLength) {
    const bool first = held == 0;
    if (first && deadline && !readyWithin(socketFd, POLLIN, pollMillisecondsLeft(deadline))) {
      return kReplyTimedOut;
    }
    const ssize_t got =
        recv(socketFd, answer.data() + held, kMaxTextLength - held, first ? 0 : MSG_DONTWAIT);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (first || readyWithin(socketFd, POLLIN, graceMillisecondsLeft(deadline))) {
        continue;
      }
      break;
    }
    if (got < 0 && first) {
      return -1;
    }
    if (got <= 0) {
      break;
    }
    const bool terminated =
        std::memchr(answer.data() + held, '\0', static_cast<std::size_t>(got)) != nullptr;
    held += static_cast<std::size_t>(got);
    if (terminated) {
      break;
    }
  }
  answer[held] = '\0';
  return static_cast<ssize_t>(held);
}

}  // namespace vantrel::exchange
