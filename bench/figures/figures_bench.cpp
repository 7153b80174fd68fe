// Times vantrel-atlas table over 20 points with and without its figures and its report, and a
// clusters report of a 2 mm map with 10 clusters, whole process.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/timed_run.hpp"

namespace {

constexpr int kRuns = 7;
constexpr int kPoints = 20;

struct Times {
  double wall = -1, cpu = 0;  // seconds; the CPU time of the process, user and system
};

Times medianRun(const std::vector<std::string>& args, const std::filesystem::path& scratch) {
  std::vector<double> walls, cpus;
  for (int i = 0; i < kRuns; ++i) {
    std::filesystem::remove_all(scratch / "out");
    const vantrel::bench::TimedRun run = vantrel::bench::runTimed(args);
    if (run.status != 0) {
      std::fprintf(stderr, "figures_bench: %s failed\n", args[1].c_str());
      std::exit(1);
    }
    walls.push_back(run.seconds);
    cpus.push_back(run.cpuSeconds);
  }
  return {vantrel::bench::medianOf(walls), vantrel::bench::medianOf(cpus)};
}

void print(const char* what, const Times& times, const Times& base) {
  std::printf("  %-22s %.3f s wall (+%.3f)   %.3f s CPU (+%.3f)\n", what, times.wall,
              times.wall - base.wall, times.cpu, times.cpu - base.cpu);
}

// In-brain points, the same every run.
void writePoints(const std::filesystem::path& path) {
  std::mt19937 random(14);
  std::uniform_int_distribution<int> x(-60, 60), y(-90, 60), z(-30, 70);
  std::ofstream out(path);
  out << "x\ty\tz\n";
  for (int i = 0; i < kPoints; ++i)
    out << x(random) << '\t' << y(random) << '\t' << z(random) << '\n';
}

// A 2 mm MNI float32 map, 91x109x91, with ten Gaussian blobs of both signs, as plain .nii.
void writeMap(const std::filesystem::path& path) {
  constexpr int nx = 91, ny = 109, nz = 91;
  struct Blob {
    double x, y, z, sign;
  };
  const Blob blobs[] = {{-38, -22, 56, 1}, {40, -60, -30, 1}, {-6, 54, 4, -1}, {30, 20, 40, 1},
                        {-44, -60, 10, 1}, {50, -20, 10, -1}, {0, -80, 10, 1}, {-20, 10, -10, 1},
                        {20, -90, 0, -1},  {-50, 20, 20, 1}};
  std::vector<float> values(static_cast<std::size_t>(nx) * ny * nz, 0.0f);
  for (int k = 0; k < nz; ++k) {
    for (int j = 0; j < ny; ++j) {
      for (int i = 0; i < nx; ++i) {
        const double x = 90 - 2 * i, y = -126 + 2 * j, z = -72 + 2 * k;
        double v = 0;
        for (const Blob& b : blobs) {
          const double d2 = (x - b.x) * (x - b.x) + (y - b.y) * (y - b.y) + (z - b.z) * (z - b.z);
          v += d2 < 400 ? b.sign * 6 * std::exp(-d2 / 72) : 0;
        }
        values[static_cast<std::size_t>(i + nx * (j + ny * k))] = static_cast<float>(v);
      }
    }
  }
  char header[352] = {};
  const auto put = [&](int offset, auto value) {
    std::memcpy(header + offset, &value, sizeof value);
  };
  put(0, std::int32_t{348});
  const std::int16_t dims[8] = {3, nx, ny, nz, 1, 1, 1, 1};
  std::memcpy(header + 40, dims, sizeof dims);
  put(70, std::int16_t{16});  // float32
  put(72, std::int16_t{32});
  const float pixdim[8] = {1, 2, 2, 2, 1, 1, 1, 1};
  std::memcpy(header + 76, pixdim, sizeof pixdim);
  put(108, 352.0f);
  put(112, 1.0f);
  put(252, std::int16_t{4});  // qform and sform: MNI
  put(254, std::int16_t{4});
  const float srow[12] = {-2, 0, 0, 90, 0, 2, 0, -126, 0, 0, 2, -72};
  std::memcpy(header + 280, srow, sizeof srow);
  std::memcpy(header + 344, "n+1", 4);
  std::ofstream out(path, std::ios::binary);
  out.write(header, sizeof header);
  out.write(reinterpret_cast<const char*>(values.data()),
            static_cast<std::streamsize>(values.size() * sizeof(float)));
}

}  // namespace

int main() {
  const auto scratch = std::filesystem::temp_directory_path() / "vantrel-figures-bench";
  std::filesystem::create_directories(scratch);
  const auto points = (scratch / "points.tsv").string();
  const auto out = (scratch / "out").string();
  writePoints(points);
  const std::string program = VANTREL_ATLAS_BINARY;
  const Times table = medianRun({program, "table", points}, scratch);
  std::printf(
      "vantrel-atlas table, %d points, every atlas, median of %d runs; target: figures\n"
      "and glass brain at most 1 s of wall time beyond the table alone\n",
      kPoints, kRuns);
  print("table alone", table, table);
  print("--figures (png)", medianRun({program, "table", "--figures", out, points}, scratch), table);
  print("--figures, svg",
        medianRun({program, "table", "--figures", out, "--figure-format", "svg", points}, scratch),
        table);
  print("--report", medianRun({program, "table", "--report", out, points}, scratch), table);

  const auto map = (scratch / "map.nii").string();
  writeMap(map);
  const Times clusters =
      medianRun({program, "clusters", "--threshold", "3", "--two-sided", map}, scratch);
  std::printf(
      "vantrel-atlas clusters, 2 mm map, 10 clusters; target: report at most 1.5 s whole\n");
  print("clusters alone", clusters, clusters);
  print("--report",
        medianRun({program, "clusters", "--threshold", "3", "--two-sided", "--report", out, map},
                  scratch),
        clusters);
  std::filesystem::remove_all(scratch);
  return 0;
}
