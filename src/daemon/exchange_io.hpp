// Moving the request and the reply over a connected socket, whatever the network splits.
#pragma once

#include <sys/types.h>

#include <chrono>

#include "vantrel.hpp"

namespace vantrel::detail {

// A daemon that has begun to answer but keeps the connection open without a
// NUL is taken to have finished once it stays silent this long.
inline constexpr std::chrono::milliseconds kReplyGracePeriod{300};

// Sends every byte of the block, however many calls that takes. A peer that
// has gone away makes this return false; it never raises SIGPIPE.
bool sendWholeBlock(int socketFd, const TextBuffer& block);

// Receives until the peer closes, a NUL arrives, kMaxTextLength bytes are held
// or a begun reply stays silent for kReplyGracePeriod. The first receive waits
// as long as the system lets it. The text is terminated after the bytes held.
// Returns the number of bytes held, or -1 when the first receive failed.
ssize_t receiveReply(int socketFd, TextBuffer& answer);

}  // namespace vantrel::detail
