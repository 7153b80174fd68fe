// Times vantrel-batch over 10,000 in-brain Code 2 points against a local orvod, and compares
// it with orvod's own throughput when the same number of clients query it directly.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "exchange/exchange.hpp"
#include "protocol/protocol.hpp"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using vantrel::TextBuffer;

constexpr std::size_t kPoints = 10000;
constexpr unsigned kJobs = 8;
constexpr int kRuns = 5;
constexpr std::chrono::seconds kStartLimit{30};
constexpr const char* kTablePath = "/tmp/vantrel-batch-bench.tsv";

struct Point {
  int x, y, z;
};

struct Daemon {
  pid_t pid = -1;
  int port = 0;
};

// orvod picks a free port with --port 0 and names it in its first line on standard error.
Daemon startOrvod() {
  int errPipe[2];
  if (pipe(errPipe) != 0) {
    std::perror("pipe");
    std::exit(1);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, errPipe[0]);
  char program[] = ORVOD_BINARY;
  char portOption[] = "--port";
  char anyPort[] = "0";
  char* argv[] = {program, portOption, anyPort, nullptr};
  Daemon daemon;
  if (posix_spawn(&daemon.pid, program, &actions, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "batch_bench: cannot start %s\n", program);
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(errPipe[1]);
  std::string line;
  const auto deadline = Clock::now() + kStartLimit;
  while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
    pollfd watch{errPipe[0], POLLIN, 0};
    char chunk[256];
    ssize_t got = 0;
    if (poll(&watch, 1, 100) <= 0 || (got = read(errPipe[0], chunk, sizeof chunk)) <= 0) {
      continue;
    }
    line.append(chunk, static_cast<std::size_t>(got));
  }
  close(errPipe[0]);
  const std::size_t colon = line.rfind(':');
  daemon.port = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
  if (daemon.port == 0) {
    std::fprintf(stderr, "batch_bench: orvod did not start: %s\n", line.c_str());
    kill(daemon.pid, SIGKILL);
    waitpid(daemon.pid, nullptr, 0);
    std::exit(1);
  }
  return daemon;
}

void stopOrvod(const Daemon& daemon) {
  kill(daemon.pid, SIGTERM);
  waitpid(daemon.pid, nullptr, 0);
}

bool labelsInBrain(const sockaddr_in& address, const Point& p) {
  TextBuffer query;
  vantrel::protocol::composeQueryText(vantrel::protocol::kLabelCode,
                                      vantrel::protocol::kDefaultCubesize, p.x, p.y, p.z, query);
  TextBuffer answer{};
  const auto outcome = vantrel::exchange::exchangeWith(address, query, answer, std::nullopt);
  return outcome == vantrel::exchange::Outcome::kAnswered && answer[0] != '*';
}

// Points drawn from a box around the brain, kept when orvod labels them.
std::vector<Point> inBrainPoints(const sockaddr_in& address) {
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int> xs(-65, 65), ys(-100, 70), zs(-45, 75);
  std::vector<Point> points;
  for (int draws = 0; points.size() < kPoints && draws < 20 * static_cast<int>(kPoints); ++draws) {
    const Point p{xs(random), ys(random), zs(random)};
    if (labelsInBrain(address, p)) {
      points.push_back(p);
    }
  }
  return points;
}

void writeTable(const std::vector<Point>& points) {
  std::ofstream table(kTablePath);
  table << "x\ty\tz\n";
  for (const Point& p : points) {
    table << p.x << '\t' << p.y << '\t' << p.z << '\n';
  }
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One run of the program with its output thrown away; the wall time includes its start.
double timeBatchRun(int port) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> args{VANTREL_BATCH_BINARY, "--host", "127.0.0.1",           "--port",
                                std::to_string(port), "--jobs", std::to_string(kJobs), kTablePath};
  std::vector<char*> argv;
  for (std::string& arg : args) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "batch_bench: cannot start %s\n", argv[0]);
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const double seconds = secondsSince(start);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "batch_bench: vantrel-batch ended with status %d\n", status);
    std::exit(1);
  }
  return seconds;
}

// orvod's own throughput: kJobs threads each doing the bare exchange, nothing else.
double timeDirectQueries(const sockaddr_in& address, const std::vector<Point>& points) {
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> failures{0};
  const auto start = Clock::now();
  std::vector<std::thread> clients;
  for (unsigned i = 0; i < kJobs; ++i) {
    clients.emplace_back([&] {
      for (std::size_t item = next++; item < points.size(); item = next++) {
        failures += labelsInBrain(address, points[item]) ? 0 : 1;
      }
    });
  }
  for (std::thread& client : clients) {
    client.join();
  }
  const double seconds = secondsSince(start);
  if (failures > 0) {
    std::fprintf(stderr, "batch_bench: %zu direct queries failed\n", failures.load());
  }
  return seconds;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  const Daemon daemon = startOrvod();
  sockaddr_in address{};
  vantrel::exchange::resolveDaemon("127.0.0.1", daemon.port, address);
  const std::vector<Point> points = inBrainPoints(address);
  writeTable(points);

  std::vector<double> batch, direct;
  for (int run = 0; run < kRuns; ++run) {
    direct.push_back(timeDirectQueries(address, points));
    batch.push_back(timeBatchRun(daemon.port));
  }
  stopOrvod(daemon);
  std::remove(kTablePath);

  const double n = static_cast<double>(points.size());
  const double batchSeconds = median(batch);
  const double directSeconds = median(direct);
  std::printf("points: %zu in-brain Code 2, %u concurrent queries, median of %d runs\n",
              points.size(), kJobs, kRuns);
  std::printf("vantrel-batch:   %.3f s wall, %.0f points/s (best %.3f s)\n", batchSeconds,
              n / batchSeconds, *std::min_element(batch.begin(), batch.end()));
  std::printf("orvod directly:  %.3f s, %.0f queries/s\n", directSeconds, n / directSeconds);
  std::printf("ratio:           %.0f%% of the daemon's own throughput\n",
              100.0 * directSeconds / batchSeconds);
  return 0;
}
