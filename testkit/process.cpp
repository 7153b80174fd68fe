// Process runner of the kit: posix_spawn, with every wait bounded.
#include "testkit/process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vantrel::kit {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> commandLine(const std::string& program,
                                     const std::vector<std::string>& args) {
  std::vector<std::string> texts{program};
  texts.insert(texts.end(), args.begin(), args.end());
  return texts;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) {
    pointers.push_back(text.data());
  }
  pointers.push_back(nullptr);
  return pointers;
}

// Starts `program` with standard input from /dev/null and, for each of `out`
// and `err` that is given, that stream on a pipe whose reading end it receives.
pid_t spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::string>& extraEnv, int* out, int* err) {
  std::vector<std::string> argvTexts = commandLine(program, args);
  // The case's own variables first: a program reads the first of two with one name, so they
  // win over what the test runner set.
  std::vector<std::string> envTexts(extraEnv.begin(), extraEnv.end());
  for (char** entry = environ; *entry != nullptr; ++entry) {
    envTexts.emplace_back(*entry);
  }
  std::vector<char*> argv = pointersTo(argvTexts);
  std::vector<char*> envp = pointersTo(envTexts);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  int* const ends[2] = {out, err};
  int writeEnds[2] = {-1, -1};
  for (int i = 0; i < 2; ++i) {
    int fds[2];
    if (ends[i] != nullptr && pipe2(fds, O_CLOEXEC) == 0) {
      *ends[i] = fds[0];
      writeEnds[i] = fds[1];
      posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO + i);
    }
  }
  pid_t pid = -1;
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  for (const int fd : writeEnds) {
    if (fd >= 0) {
      close(fd);
    }
  }
  if (spawned != 0) {
    throw std::runtime_error("cannot start " + program);
  }
  return pid;
}

// Reads both pipes until both reach end of file or the deadline passes.
bool drain(int outFd, int errFd, ProcessResult& result, Clock::time_point deadline) {
  std::array<pollfd, 2> fds{{{outFd, POLLIN, 0}, {errFd, POLLIN, 0}}};
  std::array<std::string*, 2> sinks{&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      return false;
    }
    if (poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 && errno != EINTR) {
      return false;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) {
        continue;
      }
      std::array<char, 65536> chunk;
      const ssize_t got = read(fds[i].fd, chunk.data(), chunk.size());
      if (got > 0) {
        sinks[i]->append(chunk.data(), static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  return true;
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& extraEnv,
                         std::chrono::milliseconds limit) {
  int outFd = -1;
  int errFd = -1;
  const pid_t pid = spawn(program, args, extraEnv, &outFd, &errFd);
  ProcessResult result;
  result.timedOut = !drain(outFd, errFd, result, Clock::now() + limit);
  if (result.timedOut) {
    kill(pid, SIGKILL);
  }
  close(outFd);
  close(errFd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args)
    : pid_(spawn(program, args, {}, nullptr, &stderrFd_)) {}

std::string ChildProcess::readErrorLine(std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  std::string line;
  char c = 0;
  pollfd watch{stderrFd_, POLLIN, 0};
  while (Clock::now() < deadline && poll(&watch, 1, 100) >= 0) {
    if ((watch.revents & (POLLIN | POLLHUP)) == 0) {
      continue;
    }
    if (read(stderrFd_, &c, 1) != 1 || c == '\n') {
      break;
    }
    line += c;
  }
  return line;
}

int ChildProcess::stop(int signal) {
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
  close(stderrFd_);
  return exited ? WEXITSTATUS(status) : -1;
}

}  // namespace vantrel::kit
