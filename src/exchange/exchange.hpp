// The client side of the exchange with an Orvo daemon: look the daemon up,
// send one query block, receive one reply, optionally within a deadline.
// Vantrel's Orvoquery and every companion that queries a daemon use it.
#pragma once

#include <netinet/in.h>

#include "exchange/exchange_io.hpp"
#include "vantrel.hpp"

namespace vantrel::exchange {

// How one exchange ended; every value but kAnswered is a failure.
enum class Outcome {
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
int openSocket(bool nonBlocking);

// Connects `socketFd` to `daemon`, sends the query text as one block of
// kTextBufferSize bytes and receives the reply into `answer`. The caller keeps
// and closes the socket. A reply of no bytes at all is a receive failure: the
// daemon closed without answering. With a deadline, which needs a socket
// opened non-blocking, the connect is bounded too.
Outcome exchangeOver(int socketFd, const sockaddr_in& daemon, const TextBuffer& query,
                     TextBuffer& answer, Deadline deadline);

// The whole exchange on a socket of its own, closed before returning.
Outcome exchangeWith(const sockaddr_in& daemon, const TextBuffer& query, TextBuffer& answer,
                     Deadline deadline);

}  // namespace vantrel::exchange
