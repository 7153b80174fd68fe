// Times what the cache saves, each a whole process: orvod's start with its answer table
// compiled, mapped and built in memory; vantrel-atlas point with the six atlases compiled, warm
// and read from their files; tables of 20 and of a million points; a point of a 1 mm
// probabilistic atlas; and clusters on a 2 mm map beside wb_command's bare clustering.

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

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using vantrel::bench::medianOf;

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

struct Runs {
  std::vector<double> ms, cpuMs, peakMiB;
};

// Whole runs of vantrel-atlas, through the static launcher so that the peak memory is the
// program's own; `before` runs ahead of each, untimed.
Runs atlasRuns(int count, const std::vector<std::string>& args, void (*before)() = nullptr) {
  std::string command = std::string(VANTREL_RUN_MEASURED) + " /dev/null " + VANTREL_ATLAS_BINARY;
  for (const std::string& arg : args) {
    command += " '" + arg + "'";
  }
  command += " 2>/dev/null";
  Runs runs;
  for (int i = 0; i < count; ++i) {
    if (before != nullptr) {
      before();
    }
    FILE* pipe = popen(command.c_str(), "r");
    long long ns = 0;
    long kib = 0;
    int status = -1;
    if (pipe == nullptr || std::fscanf(pipe, "%lld %ld %d", &ns, &kib, &status) != 3 ||
        status != 0) {
      std::fprintf(stderr, "cache_bench: %s failed (status %d)\n", command.c_str(), status);
      std::exit(1);
    }
    pclose(pipe);
    runs.ms.push_back(static_cast<double>(ns) / 1e6);
    runs.peakMiB.push_back(static_cast<double>(kib) / 1024.0);
  }
  return runs;
}

void print(const char* what, const Runs& runs, const char* target) {
  std::printf("%-46s median %8.1f ms  peak %6.1f MiB  %s\n", what, medianOf(runs.ms),
              medianOf(runs.peakMiB), target);
}

fs::path cacheFolder;

void clearCache() {
  for (const auto& entry : fs::directory_iterator(cacheFolder)) {
    fs::remove_all(entry.path());
  }
}

void writeTable(const fs::path& path, int points) {
  std::ofstream out(path);
  out << "x\ty\tz\tname\n";
  for (int i = 0; i < points; ++i) {
    out << -60 + (i * 37) % 120 << '\t' << -90 + (i * 53) % 150 << '\t' << -40 + (i * 29) % 110
        << "\tpeak " << i << '\n';
  }
}

// CPU milliseconds, the median of `count` runs of a program; 0 when it is not installed.
double cpuMsOf(int count, const std::vector<std::vector<std::string>>& commands) {
  std::vector<double> cpu;
  for (int i = 0; i < count; ++i) {
    double sum = 0;
    for (const std::vector<std::string>& command : commands) {
      const vantrel::bench::TimedRun run = vantrel::bench::runTimed(command);
      if (run.status != 0) {
        return 0;
      }
      sum += 1000 * run.cpuSeconds;
    }
    cpu.push_back(sum);
  }
  return medianOf(cpu);
}

void timeOrvod() {
  std::vector<double> cold, warm, memory;
  for (int i = 0; i < 3; ++i) {
    clearCache();
    cold.push_back(orvodReady({}));
    memory.push_back(orvodReady({"--no-cache"}));
  }
  for (int i = 0; i < 9; ++i) {
    warm.push_back(orvodReady({}));
  }
  std::printf("%-46s median %8.1f ms\n", "orvod ready, table compiled (cold)", medianOf(cold));
  std::printf("%-46s median %8.1f ms  (target 50 ms)\n", "orvod ready, table mapped (warm)",
              medianOf(warm));
  std::printf("%-46s median %8.1f ms\n", "orvod ready, --no-cache", medianOf(memory));
}

void timePointsAndTables(const fs::path& folder) {
  print("the process floor, --version", atlasRuns(21, {"--version"}), "");
  const std::vector<std::string> point{"point", "-38", "-22", "56"};
  print("point, six atlases, compiling (first run)", atlasRuns(3, point, clearCache),
        "(target 1 s)");
  atlasRuns(1, point);
  const Runs warm = atlasRuns(21, point);
  print("point, six atlases, warm", warm, "(target 10 ms, 16 MiB)");
  std::vector<std::string> noCache = point;
  noCache.insert(noCache.begin() + 1, "--no-cache");
  const Runs files = atlasRuns(7, noCache);
  print("point, six atlases, --no-cache", files, "");

  writeTable(folder / "twenty.tsv", 20);
  const Runs twenty = atlasRuns(21, {"table", "--nearest", "10", (folder / "twenty.tsv").string()});
  print("table of 20 points, --nearest 10, warm", twenty, "(target 15 ms)");
  const Runs twentyFiles =
      atlasRuns(7, {"table", "--no-cache", "--nearest", "10", (folder / "twenty.tsv").string()});
  print("table of 20 points, --no-cache", twentyFiles, "");
  std::printf("%-46s %.2fx  (target 1.2x)\n", "  beside a point with --no-cache",
              medianOf(twentyFiles.ms) / medianOf(files.ms));

  writeTable(folder / "million.tsv", 1000000);
  const std::vector<std::string> million{"table", (folder / "million.tsv").string()};
  atlasRuns(1, million);
  print("table of 1,000,000 points, warm", atlasRuns(3, million), "(target 1 s, 200 MiB)");
}

void timeProbabilisticPoint(const fs::path& folder) {
  const std::string write = std::string(PROBABILISTIC_BENCH) + " --write " + folder.string();
  FILE* pipe = popen(write.c_str(), "r");
  char xml[4096] = {};
  if (pipe == nullptr || std::fgets(xml, sizeof xml, pipe) == nullptr) {
    std::fprintf(stderr, "cache_bench: %s failed\n", write.c_str());
    std::exit(1);
  }
  pclose(pipe);
  std::string path(xml);
  path.pop_back();
  const std::vector<std::string> point{"point", "--atlas-file", path, "-38", "-22", "56"};
  print("point, 1 mm 48-region probabilistic, compiling", atlasRuns(1, point), "");
  print("point, 1 mm 48-region probabilistic, warm", atlasRuns(11, point), "(target 50 ms)");
}

void timeClusters(const fs::path& folder) {
  const fs::path map = folder / "map-2mm.nii.gz";
  if (std::system((std::string(CLUSTERS_BENCH) + " --write-map " + map.string()).c_str()) != 0) {
    std::fprintf(stderr, "cache_bench: writing the map failed\n");
    std::exit(1);
  }
  const std::vector<std::string> clusters{"clusters", "--threshold", "3", "--two-sided",
                                          map.string()};
  atlasRuns(1, clusters);
  print("clusters, 2 mm map, six atlases, warm", atlasRuns(7, clusters), "");
  std::vector<std::string> ours{VANTREL_ATLAS_BINARY};
  ours.insert(ours.end(), clusters.begin(), clusters.end());
  const double cpu = cpuMsOf(7, {ours});
  const std::string out = (folder / "wb-clusters.nii.gz").string();
  const double wb =
      cpuMsOf(7, {{"/usr/bin/wb_command", "-volume-find-clusters", map.string(), "3", "0", out},
                  {"/usr/bin/wb_command", "-volume-find-clusters", map.string(), "-3", "0", out,
                   "-less-than"}});
  if (wb == 0) {
    std::printf("%-46s cpu %8.1f ms  (wb_command not installed: no ratio)\n", "  clusters", cpu);
    return;
  }
  std::printf("%-46s cpu %8.1f ms  wb_command both signs cpu %.1f ms  ratio %.2f (target 1)\n",
              "  clusters", cpu, wb, cpu / wb);
}

}  // namespace

int main() {
  const vantrel::kit::TempDir cache("vantrel-cache-bench");
  const vantrel::kit::TempDir work("vantrel-cache-bench-work");
  cacheFolder = cache.path();
  setenv("VANTREL_CACHE_DIR", cacheFolder.c_str(), 1);
  timeOrvod();
  timePointsAndTables(work.path());
  timeProbabilisticPoint(work.path());
  timeClusters(work.path());
  return 0;
}
