// Times vantrel-atlas: one point with every atlas as a whole process, beside the floor of
// decompressing the six atlas files; and a table of 1,000,000 MNI points with --nearest 10,
// with the run's peak resident memory.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "atlas/catalogue.hpp"
#include "bench/timed_run.hpp"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kData = "/usr/share/mricron/templates";
constexpr const char* kTablePath = "/tmp/vantrel-atlas-bench.tsv";
constexpr std::size_t kTablePoints = 1000000;
constexpr int kPointRuns = 11;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reading the atlases is the least any labelling process must do.
double decompressAllAtlases() {
  const auto start = Clock::now();
  std::vector<char> buffer(1 << 20);
  for (const atlas::AtlasEntry& entry : atlas::atlasCatalogue()) {
    const std::string path = (std::filesystem::path(kData) / entry.file).string();
    gzFile file = gzopen(path.c_str(), "rb");
    while (file != nullptr &&
           gzread(file, buffer.data(), static_cast<unsigned>(buffer.size())) > 0) {
    }
    if (file != nullptr) {
      gzclose(file);
    }
  }
  return secondsSince(start);
}

// Points spread over the box that holds the brain and a margin, one decimal each, so the
// table mixes labelled points, points near labels and points far outside every atlas.
void writeTable() {
  std::ofstream out(kTablePath);
  std::mt19937 random(12);
  std::uniform_int_distribution<int> x(-900, 900), y(-1260, 900), z(-720, 1080);
  out << "x\ty\tz\tid\n";
  for (std::size_t i = 0; i < kTablePoints; ++i) {
    out << x(random) / 10.0 << '\t' << y(random) / 10.0 << '\t' << z(random) / 10.0 << "\tp" << i
        << '\n';
  }
}

}  // namespace

int main() {
  if (!std::filesystem::exists(std::filesystem::path(kData) / "aal.nii.gz")) {
    std::fprintf(stderr, "atlas_bench: %s is missing; scripts/setup installs mricron-data\n",
                 kData);
    return 1;
  }
  std::vector<double> floors, points, pointCpu;
  for (int i = 0; i < kPointRuns; ++i) {
    floors.push_back(decompressAllAtlases());
    const vantrel::bench::TimedRun run =
        vantrel::bench::runTimed({VANTREL_ATLAS_BINARY, "point", "-38", "-22", "56"});
    points.push_back(run.seconds);
    pointCpu.push_back(run.cpuSeconds);
  }
  const double floor = vantrel::bench::medianOf(floors), point = vantrel::bench::medianOf(points);
  std::printf("decompress the six atlases   median %6.3f s\n", floor);
  std::printf(
      "vantrel-atlas point (whole)  median %6.3f s, cpu %.3f s  (%.2fx the floor; "
      "target 0.25 s)\n",
      point, vantrel::bench::medianOf(pointCpu), point / floor);

  writeTable();
  const vantrel::bench::TimedRun table = vantrel::bench::runTimed(
      {VANTREL_ATLAS_BINARY, "table", "--nearest", "10", "--format", "tsv", kTablePath});
  std::printf(
      "vantrel-atlas table, %zu points, --nearest 10: %.2f s, cpu %.2f s, peak RSS %.1f MiB, "
      "exit %d  (targets 5 s, 256 MiB)\n",
      kTablePoints, table.seconds, table.cpuSeconds, table.peakMiB, table.status);
  std::filesystem::remove(kTablePath);
  return 0;
}
