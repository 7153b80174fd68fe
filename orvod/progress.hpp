// How far a client's exchange has come, judged from what the socket calls
// returned; the server's fast path and its connections decide alike.
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "src/protocol/protocol.hpp"

namespace orvod {

struct RequestProgress {
  std::size_t received = 0;
  bool sawNul = false;
  bool peerClosed = false;

  void add(const char* fresh, std::size_t n) {
    sawNul = sawNul || std::memchr(fresh, '\0', n) != nullptr;
    received += n;
  }
  // The request ends at its NUL, at the end of a whole block, or when the client closes.
  bool complete() const {
    return peerClosed || sawNul || received == vantrel::protocol::kBlockSize;
  }
  // A whole block with its NUL is all a client sends, so after the reply it can be closed at
  // once. Closing while a client still sends would make the kernel reset the connection, which
  // can discard the reply before the client reads it: any other client is drained first.
  bool closableAfterReply() const {
    return peerClosed || (received == vantrel::protocol::kBlockSize && sawNul);
  }
};

enum class SendOutcome { kDone, kPending, kFailed };

// What a non-blocking send of `wanted` bytes that returned `sent` (with
// `error` when it returned -1) leaves to do: a send that would merely block is
// pending, not failed.
inline SendOutcome sendOutcome(ssize_t sent, int error, std::size_t wanted) {
  if (sent < 0) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR ? SendOutcome::kPending
                                                                     : SendOutcome::kFailed;
  }
  return static_cast<std::size_t>(sent) < wanted ? SendOutcome::kPending : SendOutcome::kDone;
}

// The accept errors that mean the process is out of descriptors or memory:
// accepting again at once would only spin until a client goes away.
inline bool isResourceShortage(int error) {
  return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

}  // namespace orvod
