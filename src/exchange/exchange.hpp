// The client side of the exchange with an Orvo daemon: look the daemon up,
// send one query block, receive one reply, optionally within a deadline.
// Vantrel's Orvoquery and every companion that queries a daemon use it.
#pragma once

#include <netinet/in.h>
#include <sys/types.h>

#include <chrono>
#include <optional>

#include "src/vantrel.hpp"

namespace vantrel::exchange {

using Clock = std::chrono::steady_clock;
// No deadline lets every step wait as long as the system lets it, as Vantrel does.
using Deadline = std::optional<Clock::time_point>;

// A daemon that has begun to answer but keeps the connection open without a
// NUL is taken to have finished once it stays silent this long.
inline constexpr std::chrono::milliseconds kReplyGracePeriod{300};

// receiveReply's result when the deadline passed before the first byte came.
inline constexpr ssize_t kReplyTimedOut = -2;

// Milliseconds left before `deadline`, rounded up, for poll(); -1 (wait for
// ever) without a deadline, 0 once it has passed.
int pollMillisecondsLeft(const Deadline& deadline);
bool deadlinePassed(const Deadline& deadline);

// Sends every byte of the block, however many calls that takes, giving up when
// the deadline passes. A peer that has gone away makes this return false; it
// never raises SIGPIPE.
bool sendWholeBlock(int socketFd, const TextBuffer& block, const Deadline& deadline = {});

// Receives until the peer closes, a NUL arrives, kMaxTextLength bytes are held
// or a begun reply stays silent for kReplyGracePeriod. Without a deadline the
// first receive waits as long as the system lets it; with one, the reply ends
// when it passes. The text is terminated after the bytes held. Returns the
// number of bytes held, -1 when the first receive failed, or kReplyTimedOut.
ssize_t receiveReply(int socketFd, TextBuffer& answer, const Deadline& deadline = {});

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
