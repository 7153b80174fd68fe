// One request and reply with an Orvo daemon at a resolved address, optionally within a deadline.
#pragma once

#include <netinet/in.h>

#include "daemon/exchange_io.hpp"
#include "vantrel.hpp"

namespace vantrel::detail {

enum class ExchangeOutcome {
  kAnswered,
  kNoSocket,
  kDaemonDown,
  kSendFailed,
  kReceiveFailed,
  kTimedOut,
};

// Looks `host` up (IPv4, at most 10 attempts) and fills `out` with its first
// address and `port`. Returns false when no attempt succeeds.
bool resolveDaemon(const char* host, int port, sockaddr_in& out);

// A new IPv4 stream socket, or -1. A deadline needs a non-blocking one.
int openExchangeSocket(bool nonBlocking);

// Connects `socketFd` to `daemon`, sends the query text as one block of
// kTextBufferSize bytes and receives the reply into `answer`. The caller keeps
// and closes the socket. A reply of no bytes at all is a receive failure: the
// daemon closed without answering. With a deadline, which needs a socket
// opened non-blocking, the connect is bounded too.
ExchangeOutcome exchangeOver(int socketFd, const sockaddr_in& daemon, const TextBuffer& query,
                             TextBuffer& answer, Deadline deadline);

// The whole exchange on a socket of its own, closed before returning.
ExchangeOutcome exchangeWith(const sockaddr_in& daemon, const TextBuffer& query, TextBuffer& answer,
                             Deadline deadline);

}  // namespace vantrel::detail
