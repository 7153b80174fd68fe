// Times vantrel-batch over 10,000 in-brain Code 2 points against a local orvod, and compares
// it with orvod's own throughput when the same number of clients query it directly.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "src/exchange/exchange.hpp"
#include "testkit/daemon_process.hpp"
#include "testkit/process.hpp"
#include "src/protocol/protocol.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using vantrel::TextBuffer;

constexpr std::size_t kPoints = 10000;
constexpr unsigned kJobs = 8;
constexpr int kRuns = 5;
constexpr std::chrono::minutes kRunLimit{5};
constexpr const char* kTablePath = "/tmp/vantrel-batch-bench.tsv";

struct Point {
  int x, y, z;
};

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

// One run of the program; the wall time includes its start.
double timeBatchRun(int port) {
  const auto start = Clock::now();
  const vantrel::kit::ProcessResult run =
      vantrel::kit::runProcess(VANTREL_BATCH_BINARY,
                               {"--host", "127.0.0.1", "--port", std::to_string(port), "--jobs",
                                std::to_string(kJobs), kTablePath},
                               {}, kRunLimit);
  const double seconds = secondsSince(start);
  if (run.exitStatus != 0) {
    std::fprintf(stderr, "batch_bench: vantrel-batch ended with status %d\n", run.exitStatus);
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
  // orvod picks a free port with --port 0 and names it in its readiness line.
  vantrel::kit::DaemonProcess daemon(ORVOD_BINARY, {"--port", "0"});
  if (!daemon.ready()) {
    std::fprintf(stderr, "batch_bench: orvod did not start: %s\n", daemon.readinessLine().c_str());
    return 1;
  }
  sockaddr_in address{};
  vantrel::exchange::resolveDaemon("127.0.0.1", daemon.port(), address);
  const std::vector<Point> points = inBrainPoints(address);
  writeTable(points);

  std::vector<double> batch, direct;
  for (int run = 0; run < kRuns; ++run) {
    direct.push_back(timeDirectQueries(address, points));
    batch.push_back(timeBatchRun(daemon.port()));
  }
  daemon.stop(SIGTERM);
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
