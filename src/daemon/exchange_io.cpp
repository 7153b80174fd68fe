// Send and receive loops of the daemon exchange.
#include "daemon/exchange_io.hpp"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace vantrel::detail {

namespace {

bool moreDataWithinGrace(int socketFd) {
  pollfd watch{socketFd, POLLIN, 0};
  int ready = 0;
  do {
    ready = poll(&watch, 1, static_cast<int>(kReplyGracePeriod.count()));
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

}  // namespace

// MSG_NOSIGNAL turns a vanished peer into EPIPE instead of a killed process.
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

// The last byte of the answer is never received into, so the text always keeps
// its terminator. A failure after data has come ends the reply like a close.
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
    const bool terminated =
        std::memchr(answer.data() + held, '\0', static_cast<std::size_t>(got)) != nullptr;
    held += static_cast<std::size_t>(got);
    if (terminated) {
      break;
    }
  }
  answer[held] = '\0';
  return static_cast<ssize_t>(held);
}

}  // namespace vantrel::detail
