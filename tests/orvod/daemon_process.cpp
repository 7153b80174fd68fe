// Test support: runs the built orvod binary and talks to it the way the Vantrel client does.
#include "daemon_process.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace orvod::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBlockSize = 8192;

std::vector<char*> argvOf(const std::vector<std::string>& arguments) {
  static std::string binary = ORVOD_BINARY;
  std::vector<char*> argv{binary.data()};
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  return argv;
}

// Spawns the daemon with its standard output and error on pipes; -1 pid on failure.
pid_t spawnWithPipes(const std::vector<std::string>& arguments, int& outFd, int& errFd) {
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    return -1;
  }
  if (pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  pid_t pid = -1;
  std::vector<char*> argv = argvOf(arguments);
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  outFd = out[0];
  errFd = err[0];
  return pid;
}

// Reads from `fd` until `stop` says enough, end of file, or the deadline.
template <typename Stop>
void readUntil(int fd, std::string& text, Clock::time_point deadline, Stop stop) {
  char buffer[4096];
  while (!stop(text)) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      return;
    }
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
      return;
    }
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) {
      return;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

// Waits for the child to exit; returns its exit status, or -1 after a timeout or a signal.
int waitForExit(pid_t pid, Clock::time_point deadline) {
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(10ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::uint16_t portOf(const std::string& line) {
  const auto colon = line.rfind(':');
  if (colon == std::string::npos) {
    return 0;
  }
  return static_cast<std::uint16_t>(std::stoi(line.substr(colon + 1)));
}

}  // namespace

DaemonProcess::DaemonProcess(const std::vector<std::string>& arguments,
                             std::chrono::milliseconds readyWithin) {
  int outFd = -1;
  pid_ = spawnWithPipes(arguments, outFd, stderrFd_);
  if (outFd >= 0) {
    close(outFd);
  }
  if (pid_ < 0) {
    return;
  }
  std::string err;
  readUntil(stderrFd_, err, Clock::now() + readyWithin,
            [](const std::string& text) { return text.find('\n') != std::string::npos; });
  const auto newline = err.find('\n');
  if (newline == std::string::npos) {
    return;
  }
  readinessLine_ = err.substr(0, newline);
  if (readinessLine_.starts_with("orvod: listening on ")) {
    port_ = portOf(readinessLine_);
  }
}

DaemonProcess::~DaemonProcess() {
  stop(SIGTERM);
}

int DaemonProcess::stop(int signal, std::chrono::milliseconds within) {
  if (pid_ < 0) {
    return -1;
  }
  kill(pid_, signal);
  const int status = waitForExit(pid_, Clock::now() + within);
  pid_ = -1;
  close(stderrFd_);
  stderrFd_ = -1;
  return status;
}

RunResult runToCompletion(const std::vector<std::string>& arguments,
                          std::chrono::milliseconds within) {
  RunResult result;
  int outFd = -1, errFd = -1;
  const pid_t pid = spawnWithPipes(arguments, outFd, errFd);
  if (pid < 0) {
    return result;
  }
  const auto deadline = Clock::now() + within;
  // The outputs are short, well below a pipe's capacity, so reading them in turn cannot block.
  readUntil(outFd, result.out, deadline, [](const std::string&) { return false; });
  readUntil(errFd, result.err, deadline, [](const std::string&) { return false; });
  close(outFd);
  close(errFd);
  result.status = waitForExit(pid, deadline);
  return result;
}

ClientSocket::ClientSocket(std::uint16_t port, std::chrono::milliseconds timeout) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) {
    return;
  }
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(timeout).count();
  const timeval tv{static_cast<time_t>(micros / 1000000),
                   static_cast<suseconds_t>(micros % 1000000)};
  setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd_);
    fd_ = -1;
  }
}

ClientSocket::~ClientSocket() {
  if (fd_ >= 0) {
    close(fd_);
  }
}

ClientSocket::ClientSocket(ClientSocket&& other) noexcept : fd_(other.fd_) {
  other.fd_ = -1;
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

std::string ClientSocket::receiveAll() {
  std::string reply;
  char buffer[kBlockSize];
  // Bounded by the receive timeout per call and by the reply limit overall.
  while (reply.size() <= 4 * kBlockSize) {
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) {
      break;
    }
    reply.append(buffer, static_cast<std::size_t>(n));
  }
  return reply;
}

std::string queryBlock(std::uint16_t port, std::string_view text) {
  ClientSocket client(port);
  std::string block(text);
  block.resize(kBlockSize, '\0');
  if (!client.connected() || !client.send(block)) {
    return "<no exchange>";
  }
  return client.receiveAll();
}

void raiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

}  // namespace orvod::testing
