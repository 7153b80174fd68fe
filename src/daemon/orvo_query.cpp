// Orvoquery: the one TCP exchange of a run with the Orvo daemon.
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "daemon/messages.hpp"
#include "vantrel.hpp"

namespace vantrel {

namespace {

constexpr std::int32_t kExchanged = 0;
constexpr std::int32_t kNoSocket = -1;
constexpr std::int32_t kHostNotFound = -2;
constexpr std::int32_t kDaemonDown = -3;
constexpr std::int32_t kSendFailed = -4;
constexpr std::int32_t kReceiveFailed = -5;

constexpr int kLookupAttempts = 10;

// A daemon that has started to answer but keeps the connection open without a
// NUL is taken to have finished once it stays silent this long.
constexpr int kReplyGraceMilliseconds = 300;

// The caller's errno tells why the exchange failed; close() must not overwrite it.
void closeKeepingErrno(int socketFd) {
  const int saved = errno;
  close(socketFd);
  errno = saved;
}

std::int32_t failWith(int socketFd, std::int32_t result, const char* message) {
  closeKeepingErrno(socketFd);
  std::fputs(message, stderr);
  return result;
}

bool lookUpDaemonAddress(in_addr& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  for (int attempt = 0; attempt < kLookupAttempts; ++attempt) {
    addrinfo* found = nullptr;
    if (getaddrinfo(DAEMONHOST, nullptr, &hints, &found) != 0) {
      continue;
    }
    const bool usable =
        found != nullptr && found->ai_addr != nullptr && found->ai_addrlen >= sizeof(sockaddr_in);
    if (usable) {
      sockaddr_in first{};
      std::memcpy(&first, found->ai_addr, sizeof first);
      address = first.sin_addr;
    }
    freeaddrinfo(found);
    if (usable) {
      return true;
    }
  }
  return false;
}

bool connectToDaemon(int socketFd, const in_addr& address) {
  sockaddr_in daemon{};
  daemon.sin_family = AF_INET;
  daemon.sin_port = htons(kDaemonPort);
  daemon.sin_addr = address;
  return connect(socketFd, reinterpret_cast<const sockaddr*>(&daemon), sizeof daemon) == 0;
}

// The daemon reads a fixed block: the query text, its NUL, then zeros, whatever
// the caller's buffer holds after the text.
void composeRequestBlock(const TextBuffer& query, TextBuffer& block) {
  block.fill('\0');
  for (std::size_t i = 0; i < kMaxTextLength && query[i] != '\0'; ++i) {
    block[i] = query[i];
  }
}

// MSG_NOSIGNAL turns a daemon that has gone away into EPIPE instead of a
// process killed by SIGPIPE.
bool sendWholeBlock(int socketFd, const TextBuffer& block) {
  std::size_t sent = 0;
  while (sent < block.size()) {
    const ssize_t took = send(socketFd, block.data() + sent, block.size() - sent, MSG_NOSIGNAL);
    if (took < 0 && errno == EINTR) {
      continue;
    }
    if (took <= 0) {
      return false;
    }
    sent += static_cast<std::size_t>(took);
  }
  return true;
}

bool moreDataWithinGrace(int socketFd) {
  pollfd watch{socketFd, POLLIN, 0};
  int ready = 0;
  do {
    ready = poll(&watch, 1, kReplyGraceMilliseconds);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

// Reads until the daemon closes, a NUL arrives, the answer is full, or a reply
// that has begun falls silent. The last byte of the answer is never written, so
// the text always keeps its terminator. Returns the number of bytes held, or -1.
ssize_t receiveReply(int socketFd, TextBuffer& answer) {
  std::size_t held = 0;
  while (held < kMaxTextLength) {
    if (held > 0 && !moreDataWithinGrace(socketFd)) {
      break;
    }
    const ssize_t got = recv(socketFd, answer.data() + held, kMaxTextLength - held, 0);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0 && held == 0) {
      return -1;
    }
    if (got <= 0) {
      break;
    }
    const bool terminated = std::memchr(answer.data() + held, '\0', static_cast<std::size_t>(got));
    held += static_cast<std::size_t>(got);
    if (terminated) {
      break;
    }
  }
  answer[held] = '\0';
  return static_cast<ssize_t>(held);
}

}  // namespace

std::int32_t Orvoquery(const TextBuffer& query, TextBuffer& answer) {
  const int socketFd = socket(AF_INET, SOCK_STREAM, 0);
  if (socketFd < 0) {
    std::fputs(message::kNoSocket, stderr);
    return kNoSocket;
  }
  in_addr address{};
  if (!lookUpDaemonAddress(address)) {
    closeKeepingErrno(socketFd);
    std::fprintf(stderr, message::kHostNotFound, DAEMONHOST);
    return kHostNotFound;
  }
  if (!connectToDaemon(socketFd, address)) {
    return failWith(socketFd, kDaemonDown, message::kDaemonDown);
  }
  TextBuffer block;
  composeRequestBlock(query, block);
  if (!sendWholeBlock(socketFd, block)) {
    return failWith(socketFd, kSendFailed, message::kSendFailed);
  }
  // A daemon that closes without a byte of reply has failed, not answered empty.
  if (receiveReply(socketFd, answer) <= 0) {
    return failWith(socketFd, kReceiveFailed, message::kReceiveFailed);
  }
  close(socketFd);
  return kExchanged;
}

}  // namespace vantrel
