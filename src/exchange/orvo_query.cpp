// Orvoquery: the one TCP exchange of a run with the Orvo daemon.
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "src/exchange/exchange.hpp"
#include "src/exchange/messages.hpp"
#include "src/vantrel.hpp"

namespace vantrel {

namespace {

constexpr std::int32_t kExchanged = 0;
constexpr std::int32_t kNoSocket = -1;
constexpr std::int32_t kHostNotFound = -2;
constexpr std::int32_t kDaemonDown = -3;
constexpr std::int32_t kSendFailed = -4;
constexpr std::int32_t kReceiveFailed = -5;

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

// Without a deadline the exchange never times out, so every outcome but the
// answer is one of the three failures after the lookup.
std::int32_t reportOutcome(int socketFd, exchange::Outcome outcome) {
  switch (outcome) {
    case exchange::Outcome::kAnswered:
      close(socketFd);
      return kExchanged;
    case exchange::Outcome::kSendFailed:
      return failWith(socketFd, kSendFailed, message::kSendFailed);
    case exchange::Outcome::kReceiveFailed:
    case exchange::Outcome::kTimedOut:
      return failWith(socketFd, kReceiveFailed, message::kReceiveFailed);
    case exchange::Outcome::kNoSocket:
    case exchange::Outcome::kDaemonDown:
      break;
  }
  return failWith(socketFd, kDaemonDown, message::kDaemonDown);
}

}  // namespace

// The socket comes before the lookup, so a host without sockets reports that first.
std::int32_t Orvoquery(const TextBuffer& query, TextBuffer& answer) {
  const int socketFd = exchange::openSocket(false);
  if (socketFd < 0) {
    std::fputs(message::kNoSocket, stderr);
    return kNoSocket;
  }
  sockaddr_in daemon{};
  if (!exchange::resolveDaemon(DAEMONHOST, kDaemonPort, daemon)) {
    closeKeepingErrno(socketFd);
    std::fprintf(stderr, message::kHostNotFound, DAEMONHOST);
    return kHostNotFound;
  }
  return reportOutcome(socketFd,
                       exchange::exchangeOver(socketFd, daemon, query, answer, std::nullopt));
}

}  // namespace vantrel
