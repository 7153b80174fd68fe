// The exchange with an Orvo daemon at a resolved address, shared by Vantrel and its companions.
#include "src/exchange/exchange.hpp"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
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

constexpr int kLookupAttempts = 10;

bool lookUpFirstAddress(const char* host, in_addr& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0) {
    return false;
  }
  const bool usable =
      found != nullptr && found->ai_addr != nullptr && found->ai_addrlen >= sizeof(sockaddr_in);
  if (usable) {
    sockaddr_in first{};
    std::memcpy(&first, found->ai_addr, sizeof first);
    address = first.sin_addr;
  }
  freeaddrinfo(found);
  return usable;
}

bool connectBlocking(int socketFd, const sockaddr_in& daemon) {
  return connect(socketFd, reinterpret_cast<const sockaddr*>(&daemon), sizeof daemon) == 0;
}

// A connect on a non-blocking socket that may not outlast the deadline.
Outcome connectWithin(int socketFd, const sockaddr_in& daemon, const Deadline& deadline) {
  if (connectBlocking(socketFd, daemon)) {
    return Outcome::kAnswered;
  }
  if (errno != EINPROGRESS && errno != EINTR) {
    return Outcome::kDaemonDown;
  }
  pollfd watch{socketFd, POLLOUT, 0};
  int ready = 0;
  do {
    ready = poll(&watch, 1, pollMillisecondsLeft(deadline));
  } while (ready < 0 && errno == EINTR);
  if (ready == 0) {
    return Outcome::kTimedOut;
  }
  // A refused connect shows as POLLERR or POLLHUP beside POLLOUT, which spares
  // asking SO_ERROR on every query of a long run.
  const bool connected = ready > 0 && (watch.revents & (POLLERR | POLLHUP)) == 0;
  return connected ? Outcome::kAnswered : Outcome::kDaemonDown;
}

// The daemon reads a fixed block: the query text, its NUL, then zeros, whatever
// the caller's buffer holds after the text.
void composeRequestBlock(const TextBuffer& query, TextBuffer& block) {
  block.fill('\0');
  for (std::size_t i = 0; i < kMaxTextLength && query[i] != '\0'; ++i) {
    block[i] = query[i];
  }
}

Outcome timedOutOr(Outcome failure, const Deadline& deadline) {
  return deadlinePassed(deadline) ? Outcome::kTimedOut : failure;
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

bool resolveDaemon(const char* host, int port, sockaddr_in& out) {
  in_addr address{};
  for (int attempt = 0; attempt < kLookupAttempts; ++attempt) {
    if (lookUpFirstAddress(host, address)) {
      out = sockaddr_in{};
      out.sin_family = AF_INET;
      out.sin_port = htons(static_cast<std::uint16_t>(port));
      out.sin_addr = address;
      return true;
    }
  }
  return false;
}

int openSocket(bool nonBlocking) {
  return socket(AF_INET, SOCK_STREAM | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
}

Outcome exchangeOver(int socketFd, const sockaddr_in& daemon, const TextBuffer& query,
                     TextBuffer& answer, Deadline deadline) {
  if (deadline) {
    const Outcome connected = connectWithin(socketFd, daemon, deadline);
    if (connected != Outcome::kAnswered) {
      return connected;
    }
  } else if (!connectBlocking(socketFd, daemon)) {
    return Outcome::kDaemonDown;
  }
  TextBuffer block;
  composeRequestBlock(query, block);
  if (!sendWholeBlock(socketFd, block, deadline)) {
    return timedOutOr(Outcome::kSendFailed, deadline);
  }
  const ssize_t received = receiveReply(socketFd, answer, deadline);
  if (received == kReplyTimedOut) {
    return Outcome::kTimedOut;
  }
  return received > 0 ? Outcome::kAnswered : Outcome::kReceiveFailed;
}

Outcome exchangeWith(const sockaddr_in& daemon, const TextBuffer& query, TextBuffer& answer,
                     Deadline deadline) {
  const int socketFd = openSocket(deadline.has_value());
  if (socketFd < 0) {
    return Outcome::kNoSocket;
  }
  const Outcome outcome = exchangeOver(socketFd, daemon, query, answer, deadline);
  close(socketFd);
  return outcome;
}

}  // namespace vantrel::exchange
