// The exchange with an Orvo daemon at a resolved address, shared by Vantrel and its companions.
#include "exchange/exchange.hpp"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace vantrel::exchange {

namespace {

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
