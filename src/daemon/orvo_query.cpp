// Orvoquery: the one TCP exchange of a run with the Orvo daemon.
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "daemon/exchange_io.hpp"
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
  if (!detail::sendWholeBlock(socketFd, block)) {
    return failWith(socketFd, kSendFailed, message::kSendFailed);
  }
  // A daemon that closes without a byte of reply has failed, not answered empty.
  if (detail::receiveReply(socketFd, answer) <= 0) {
    return failWith(socketFd, kReceiveFailed, message::kReceiveFailed);
  }
  close(socketFd);
  return kExchanged;
}

}  // namespace vantrel
