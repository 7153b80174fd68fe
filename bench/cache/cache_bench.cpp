// Times what the cache saves: orvod's start to its readiness line with the answer table compiled
// (the first start), mapped (every later one) and built in memory (--no-cache); and a table of
// 20 points with the six atlases and --nearest 10 beside one point, each a whole process.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bench/timed_run.hpp"
#include "testkit/daemon_process.hpp"
#include "testkit/temp_dir.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Milliseconds from start to the readiness line; a failed start is reported and counted as 0.
double orvodReady(const std::vector<std::string>& extra) {
  std::vector<std::string> args{"--port", "0"};
  args.insert(args.end(), extra.begin(), extra.end());
  const auto start = Clock::now();
  const vantrel::kit::DaemonProcess daemon(ORVOD_BINARY, args);
  const double ms = millisecondsSince(start);
  if (!daemon.ready()) {
    std::fprintf(stderr, "orvod did not start: %s\n", daemon.readinessLine().c_str());
    return 0;
  }
  return ms;
}

// A whole run of vantrel-atlas with its output to /dev/null, in milliseconds.
double atlasRun(std::vector<std::string> args) {
  args.insert(args.begin(), VANTREL_ATLAS_BINARY);
  return 1000 * vantrel::bench::runTimed(std::move(args)).seconds;
}

void clear(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::filesystem::remove_all(entry.path());
  }
}

}  // namespace

int main() {
  const vantrel::kit::TempDir cacheFolder("vantrel-cache-bench");
  setenv("VANTREL_CACHE_DIR", cacheFolder.path().c_str(), 1);

  std::vector<double> cold, warm, memory;
  for (int i = 0; i < 3; ++i) {
    clear(cacheFolder.path());
    cold.push_back(orvodReady({}));
    memory.push_back(orvodReady({"--no-cache"}));
  }
  for (int i = 0; i < 9; ++i) {
    warm.push_back(orvodReady({}));
  }
  std::printf("orvod ready, table compiled (cold)    median %7.1f ms\n",
              vantrel::bench::medianOf(cold));
  std::printf("orvod ready, table mapped (warm)      median %7.1f ms  (target 50 ms)\n",
              vantrel::bench::medianOf(warm));
  std::printf("orvod ready, --no-cache               median %7.1f ms\n",
              vantrel::bench::medianOf(memory));

  const std::filesystem::path table = cacheFolder / "peaks.tsv";
  {
    std::ofstream out(table);
    out << "x\ty\tz\tname\n";
    for (int i = 0; i < 20; ++i) {
      out << -60 + (i * 37) % 120 << '\t' << -90 + (i * 53) % 150 << '\t' << -40 + (i * 29) % 110
          << "\tpeak " << i << '\n';
    }
  }
  std::vector<double> point, twenty;
  for (int i = 0; i < 11; ++i) {
    point.push_back(atlasRun({"point", "--nearest", "10", "-38", "-22", "56"}));
    twenty.push_back(atlasRun({"table", "--nearest", "10", table.string()}));
  }
  const double p = vantrel::bench::medianOf(point), t = vantrel::bench::medianOf(twenty);
  std::printf("vantrel-atlas point                   median %7.1f ms\n", p);
  std::printf(
      "vantrel-atlas table of 20 points      median %7.1f ms  (%.2fx a point; target 1.2x)\n", t,
      t / p);
  return 0;
}
