// Moving the request and the reply over a connected socket, whatever the network splits.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>

#include "vantrel.hpp"

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

}  // namespace vantrel::exchange
