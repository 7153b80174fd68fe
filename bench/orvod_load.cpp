// Load generator for orvod: queries per second, p99 latency, start-up time, peak memory and CPU
// per query, beside a plain constant-reply server that marks the floor of the exchange's cost.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testkit/daemon_process.hpp"
#include "testkit/loopback.hpp"
#include "src/protocol/protocol.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t kBlockSize = vantrel::protocol::kBlockSize;
constexpr const char* kFloorReply = "Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate_R";

struct Settings {
  std::string orvod = ORVOD_BINARY;
  std::string data = "/usr/share/mricron/templates";
  std::string threads;
  long queries = 100000;
  double seconds = 3.0;
};

// A server under measurement: its CPU time is read from /proc.
struct Server {
  pid_t pid = -1;
  std::uint16_t port = 0;
};

// --- the floor: as plain as a server gets -------------------------------------------------

[[noreturn]] void serveConstantReplies(int listener) {
  char block[kBlockSize];
  const std::size_t replyLength = std::strlen(kFloorReply);
  for (;;) {
    const int client = accept(listener, nullptr, nullptr);
    if (client < 0) {
      continue;
    }
    std::size_t received = 0;
    while (received < kBlockSize) {
      const ssize_t n = read(client, block + received, kBlockSize - received);
      if (n <= 0) {
        break;
      }
      received += static_cast<std::size_t>(n);
    }
    [[maybe_unused]] const ssize_t sent = write(client, kFloorReply, replyLength);
    close(client);
  }
}

Server startFloor() {
  Server floor;
  int port = 0;
  const int listener = vantrel::kit::listenOnLoopback(0, SOMAXCONN, "floor server", port);
  floor.port = static_cast<std::uint16_t>(port);
  floor.pid = fork();
  if (floor.pid == 0) {
    serveConstantReplies(listener);
  }
  close(listener);
  return floor;
}

void stop(const Server& floor) {
  kill(floor.pid, SIGKILL);
  waitpid(floor.pid, nullptr, 0);
}

// --- orvod ---------------------------------------------------------------------------------

std::unique_ptr<vantrel::kit::DaemonProcess> startOrvod(const Settings& settings) {
  std::vector<std::string> arguments{"--port", "0", "--data", settings.data};
  if (!settings.threads.empty()) {
    arguments.insert(arguments.end(), {"--threads", settings.threads});
  }
  auto daemon = std::make_unique<vantrel::kit::DaemonProcess>(settings.orvod, arguments);
  if (!daemon->ready()) {
    std::fprintf(stderr, "orvod did not start: %s\n", daemon->readinessLine().c_str());
  }
  return daemon;
}

// User plus system CPU of a process, from /proc.
double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // Fields after the command name, which may hold blanks, start after its closing parenthesis.
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) {
      utime = std::stoull(field);
    }
    if (index == 15) {
      stime = std::stoull(field);
      break;
    }
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long peakResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) {
      return std::stol(line.substr(6));
    }
  }
  return -1;
}

// --- the load ------------------------------------------------------------------------------

// One exchange as the client makes it: connect, send the whole block, read until the close.
bool exchange(std::uint16_t port, const std::string& block) {
  vantrel::kit::ClientSocket client(port, {5s});
  return client.connected() && client.send(block) && !client.receiveAll().empty();
}

struct RunResult {
  long queries = 0, failures = 0;
  double seconds = 0, p99Ms = 0;
  double perSecond() const { return seconds > 0 ? static_cast<double>(queries) / seconds : 0; }
};

RunResult runLoad(std::uint16_t port, const std::vector<std::string>& blocks, int clients,
                  const Settings& settings) {
  std::atomic<long> claimed{0}, failures{0};
  std::vector<std::vector<float>> latencies(static_cast<std::size_t>(clients));
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::duration<double>(settings.seconds);
  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(clients));
  for (int t = 0; t < clients; ++t) {
    threads.emplace_back([&, t] {
      auto& mine = latencies[static_cast<std::size_t>(t)];
      for (long n; (n = claimed.fetch_add(1)) < settings.queries && Clock::now() < deadline;) {
        const auto before = Clock::now();
        if (!exchange(port, blocks[static_cast<std::size_t>(n) % blocks.size()])) {
          ++failures;
        }
        mine.push_back(std::chrono::duration<float, std::milli>(Clock::now() - before).count());
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  RunResult result;
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<float> all;
  for (const auto& mine : latencies) {
    all.insert(all.end(), mine.begin(), mine.end());
  }
  result.queries = static_cast<long>(all.size());
  result.failures = failures;
  if (!all.empty()) {
    const std::size_t at = std::min(all.size() - 1, all.size() * 99 / 100);
    std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(at), all.end());
    result.p99Ms = all[at];
  }
  return result;
}

std::string blockOf(const std::string& text) {
  std::string block = text;
  block.resize(kBlockSize, '\0');
  return block;
}

// Points spread over the brain's bounding box, the same on every run.
std::vector<std::string> queryBlocks(const std::string& prefix) {
  std::vector<std::string> blocks;
  unsigned state = 12345;
  auto next = [&state](int low, int high) {
    state = state * 1103515245U + 12345U;
    return low + static_cast<int>((state >> 8) % static_cast<unsigned>(high - low + 1));
  };
  for (int i = 0; i < 256; ++i) {
    const int x = next(-65, 65), y = next(-100, 65), z = next(-45, 75);
    blocks.push_back(
        blockOf(prefix + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(z)));
  }
  return blocks;
}

void report(const char* server, const char* load, int clients, const RunResult& run,
            double cpuPerQueryUs, const RunResult* floor) {
  std::printf("%-6s %-14s %3d clients  %8.0f q/s  p99 %7.3f ms", server, load, clients,
              run.perSecond(), run.p99Ms);
  std::printf("  cpu %7.1f us/query", cpuPerQueryUs);
  if (floor != nullptr && floor->perSecond() > 0) {
    std::printf("  %5.1f%% of floor", 100.0 * run.perSecond() / floor->perSecond());
  }
  if (run.failures > 0) {
    std::printf("  FAILURES %ld", run.failures);
  }
  std::printf("  (%ld queries in %.2f s)\n", run.queries, run.seconds);
  std::fflush(stdout);
}

void raiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

// One run against `server`, reported with the server's CPU time per query.
RunResult measure(const Server& server, const std::vector<std::string>& blocks, int clients,
                  const Settings& settings, const char* name, const char* load,
                  const RunResult* floor) {
  const double cpuBefore = cpuSeconds(server.pid);
  const RunResult run = runLoad(server.port, blocks, clients, settings);
  const double cpu = cpuSeconds(server.pid) - cpuBefore;
  report(name, load, clients, run, 1e6 * cpu / static_cast<double>(std::max(1L, run.queries)),
         floor);
  return run;
}

int runBenchmark(const Settings& settings) {
  raiseDescriptorLimit();
  std::signal(SIGPIPE, SIG_IGN);
  const int concurrency[] = {1, 8, 64};
  const std::vector<std::string> floorBlocks{blockOf("2,6,7,8")};
  const std::vector<std::string> pointBlocks = queryBlocks("2,");
  const std::vector<std::string> cubeBlocks = queryBlocks("3:11,");

  std::vector<double> startups;
  for (int i = 0; i < 3; ++i) {
    const auto start = Clock::now();
    startOrvod(settings);
    startups.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(startups.begin(), startups.end());
  std::printf("orvod start-up to readiness line: median %.1f ms (%.1f, %.1f, %.1f)\n", startups[1],
              startups[0], startups[1], startups[2]);

  const auto daemon = startOrvod(settings);
  if (!daemon->ready()) {
    return 1;
  }
  const Server floor = startFloor();
  const Server orvod{daemon->pid(), daemon->port()};
  // Floor and daemon take turns at each concurrency, so a change in the machine's other load
  // touches both sides of a comparison alike.
  for (const int clients : concurrency) {
    const RunResult base =
        measure(floor, floorBlocks, clients, settings, "floor", "constant", nullptr);
    measure(orvod, pointBlocks, clients, settings, "orvod", "code 2", &base);
  }
  for (const int clients : concurrency) {
    measure(orvod, cubeBlocks, clients, settings, "orvod", "code 3 size 11", nullptr);
  }
  std::printf("orvod peak resident memory (VmHWM): %.1f MiB\n",
              static_cast<double>(peakResidentKiB(orvod.pid)) / 1024.0);
  stop(floor);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Settings settings;
    CLI::App app{"Measures orvod under 1, 8 and 64 concurrent clients on loopback."};
    app.add_option("--orvod", settings.orvod, "orvod binary")->capture_default_str();
    app.add_option("--data", settings.data, "Atlas directory for orvod")->capture_default_str();
    app.add_option("--threads", settings.threads, "Passed to orvod --threads");
    app.add_option("--queries", settings.queries, "Most queries per run")
        ->check(CLI::Range(1L, 10000000L))
        ->capture_default_str();
    app.add_option("--seconds", settings.seconds, "Longest run")
        ->check(CLI::Range(0.1, 600.0))
        ->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    return runBenchmark(settings);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "orvod_load: %s\n", error.what());
    return 1;
  }
}
