// Socket chores of the kit: both ends of a loopback connection.
#include "testkit/loopback.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "src/protocol/protocol.hpp"

namespace vantrel::kit {

int listenOnLoopback(int port, int backlog, const char* who, int& boundPort) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) {
    throw std::runtime_error(std::string(who) + ": no socket");
  }
  // A daemon of the previous test may have left the port in TIME_WAIT.
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    throw std::runtime_error(std::string(who) +
                             ": cannot listen on 127.0.0.1:" + std::to_string(port));
  }
  boundPort = ntohs(address.sin_port);
  return fd;
}

bool sendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t took = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (took <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(took));
  }
  return true;
}

ClientSocket::ClientSocket(std::uint16_t port, SocketOptions options)
    : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(options.patience);
  const timeval timeout{static_cast<time_t>(micros.count() / 1000000),
                        static_cast<suseconds_t>(micros.count() % 1000000)};
  // Before connect, so that the window offered to the daemon is small from the start.
  if (options.receiveBufferBytes > 0) {
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &options.receiveBufferBytes,
               sizeof options.receiveBufferBytes);
  }
  setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd_ >= 0 && connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd_);
    fd_ = -1;
  }
}

ClientSocket::~ClientSocket() {
  if (fd_ >= 0) {
    close(fd_);
  }
}

void ClientSocket::shutdownSending() {
  shutdown(fd_, SHUT_WR);
}

void ClientSocket::reset() {
  const linger abortive{1, 0};
  setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
  close(fd_);
  fd_ = -1;
}

std::string ClientSocket::receiveAll() {
  std::string reply;
  char buffer[8192];
  ssize_t n = 0;
  while (reply.size() < 65536 && (n = recv(fd_, buffer, sizeof buffer, 0)) > 0) {
    reply.append(buffer, static_cast<std::size_t>(n));
  }
  return reply;
}

std::string queryBlock(std::uint16_t port, std::string_view text,
                       std::chrono::milliseconds patience) {
  ClientSocket client(port, {patience});
  std::string block(text);
  block.resize(protocol::kBlockSize, '\0');
  return client.connected() && client.send(block) ? client.receiveAll() : "<no exchange>";
}

}  // namespace vantrel::kit
