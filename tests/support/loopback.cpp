// Socket chores shared by the test daemons.
#include "support/loopback.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace vantrel::testing {

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

void sendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t took = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (took <= 0) {
      return;
    }
    sent += static_cast<std::size_t>(took);
  }
}

}  // namespace vantrel::testing
