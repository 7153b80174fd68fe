// Test support: runs the built orvod binary and talks to it the way the Vantrel client does.
#include "daemon_process.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace orvod::testing {
namespace {

using Clock = std::chrono::steady_clock;

// Bounded by the deadline, since a daemon that never gets ready prints nothing.
std::string readFirstLine(int fd, Clock::time_point deadline) {
  std::string line;
  char c = 0;
  pollfd p{fd, POLLIN, 0};
  while (Clock::now() < deadline && poll(&p, 1, 100) >= 0) {
    if ((p.revents & (POLLIN | POLLHUP)) == 0) {
      continue;
    }
    if (read(fd, &c, 1) != 1 || c == '\n') {
      break;
    }
    line += c;
  }
  return line;
}

}  // namespace

DaemonProcess::DaemonProcess(const std::vector<std::string>& arguments) {
  std::vector<std::string> texts{ORVOD_BINARY};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(texts.size() + 1);
  for (std::string& text : texts) {
    argv.push_back(text.data());
  }
  argv.push_back(nullptr);
  int err[2];
  if (pipe2(err, O_CLOEXEC) != 0) {
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    pid_ = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(err[1]);
  stderrFd_ = err[0];
  readinessLine_ = readFirstLine(stderrFd_, Clock::now() + 20s);
  const std::string prefix = "orvod: listening on ";
  if (pid_ > 0 && readinessLine_.starts_with(prefix)) {
    port_ =
        static_cast<std::uint16_t>(std::stoi(readinessLine_.substr(readinessLine_.rfind(':') + 1)));
  }
}

int DaemonProcess::stop(int signal) {
  if (pid_ <= 0) {
    return -1;
  }
  kill(pid_, signal);
  int status = 0;
  pid_t reaped = 0;
  const auto deadline = Clock::now() + 10s;
  while ((reaped = waitpid(pid_, &status, WNOHANG)) == 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  if (reaped != pid_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  const bool exited = reaped == pid_ && WIFEXITED(status);
  pid_ = -1;
  port_ = 0;
  close(stderrFd_);
  return exited ? WEXITSTATUS(status) : -1;
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

bool ClientSocket::send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
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
  block.resize(8192, '\0');
  return client.connected() && client.send(block) ? client.receiveAll() : "<no exchange>";
}

}  // namespace orvod::testing
