// Times `vantrel-atlas clusters` with every atlas and --out on a 2 mm and a 1 mm map, beside
// the floor of inflating the map and the atlases, and compares its peak memory with the
// unpacked map and atlases.
#include <nifti2_io.h>
#include <stdio.h>
#include <stdlib.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kRuns = 7;
constexpr const char* kDataDirectory = "/usr/share/mricron/templates";
constexpr std::array<const char*, 6> kAtlasFiles = {"aal.nii.gz",
                                                    "HarvardOxford-cort-maxprob-thr0-1mm.nii.gz",
                                                    "JHU-WhiteMatter-labels-1mm.nii.gz",
                                                    "AICHAmc.nii.gz",
                                                    "jhu189.nii.gz",
                                                    "natbrainlab.nii.gz"};

struct Grid {
  const char* name;
  std::int64_t nx, ny, nz;
  double mm;
};

struct Blob {
  double x, y, z, radiusMm, peak;
};

// MNI-space blobs: a few thousand voxels above 3 at 2 mm, eight times as many at 1 mm.
constexpr Blob kBlobs[] = {{-38, -22, 56, 14, 6.1}, {40, -20, 54, 11, 5.2},  {-4, 50, 4, 10, -5.5},
                           {28, -70, 40, 13, 4.4},  {-30, -90, 0, 11, 4.8},  {10, 10, 10, 8, -4.2},
                           {-50, 20, 10, 10, 4.0},  {50, -40, -20, 10, -4.6}};

// Analyses mask the brain: an ellipsoid around it holds values, the rest of the grid zeros.
bool insideBrain(double x, double y, double z) {
  const double dx = x / 70, dy = (y + 18) / 90, dz = (z - 15) / 65;
  return dx * dx + dy * dy + dz * dz <= 1;
}

std::string writeMap(const Grid& grid) {
  const std::int64_t dims[8] = {3, grid.nx, grid.ny, grid.nz, 1, 1, 1, 1};
  nifti_image* image = nifti_make_new_nim(dims, DT_FLOAT32, 1);
  const double mm = grid.mm;
  const double origin[3] = {90, -126, -72};
  auto* values = static_cast<float*>(image->data);
  std::uint32_t noise = 1;
  for (std::int64_t k = 0; k < grid.nz; ++k) {
    for (std::int64_t j = 0; j < grid.ny; ++j) {
      for (std::int64_t i = 0; i < grid.nx; ++i) {
        const double x = origin[0] - mm * static_cast<double>(i);
        const double y = origin[1] + mm * static_cast<double>(j);
        const double z = origin[2] + mm * static_cast<double>(k);
        if (!insideBrain(x, y, z)) {
          continue;
        }
        noise = noise * 1664525u + 1013904223u;
        double v = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 2.0;
        for (const Blob& b : kBlobs) {
          const double d2 = (x - b.x) * (x - b.x) + (y - b.y) * (y - b.y) + (z - b.z) * (z - b.z);
          v += b.peak * std::exp(-d2 / (b.radiusMm * b.radiusMm));
        }
        values[i + grid.nx * (j + grid.ny * k)] = static_cast<float>(v);
      }
    }
  }
  image->sform_code = image->qform_code = NIFTI_XFORM_MNI_152;
  const double sform[3][4] = {{-mm, 0, 0, origin[0]}, {0, mm, 0, origin[1]}, {0, 0, mm, origin[2]}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) {
      image->sto_xyz.m[r][c] = sform[r][c];
    }
  }
  image->sto_xyz.m[3][3] = 1;
  image->qto_xyz = image->sto_xyz;
  nifti_dmat44_to_quatern(image->sto_xyz, &image->quatern_b, &image->quatern_c, &image->quatern_d,
                          &image->qoffset_x, &image->qoffset_y, &image->qoffset_z, &image->dx,
                          &image->dy, &image->dz, &image->qfac);
  const std::string path =
      (fs::temp_directory_path() / (std::string("clusters-bench-") + grid.name + ".nii.gz"))
          .string();
  nifti_set_filenames(image, path.c_str(), 0, 1);
  nifti_image_write(image);
  nifti_image_free(image);
  return path;
}

// Inflates a file and returns its unpacked size in bytes.
std::int64_t inflateFile(const std::string& path) {
  gzFile file = gzopen(path.c_str(), "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "clusters_bench: cannot open %s\n", path.c_str());
    std::exit(1);
  }
  gzbuffer(file, 1 << 18);
  static std::vector<char> buffer(1 << 22);
  std::int64_t total = 0;
  int got = 0;
  while ((got = gzread(file, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
    total += got;
  }
  gzclose(file);
  return total;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Measured {
  double seconds;
  long peakKib;
};

// The run goes through the benchmarks' static launcher, so the peak is the program's own.
Measured runClusters(const std::string& map, const std::string& prefix) {
  const std::string command = std::string(VANTREL_RUN_MEASURED) + " /dev/null " +
                              VANTREL_ATLAS_BINARY + " clusters --threshold 3 --two-sided --out " +
                              prefix + " " + map + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  long long ns = 0;
  long kib = 0;
  int status = -1;
  if (pipe == nullptr || std::fscanf(pipe, "%lld %ld %d", &ns, &kib, &status) != 3 || status != 0) {
    std::fprintf(stderr, "clusters_bench: %s failed (status %d)\n", command.c_str(), status);
    std::exit(1);
  }
  pclose(pipe);
  return {static_cast<double>(ns) / 1e9, kib};
}

void measure(const Grid& grid, double targetSeconds) {
  const std::string map = writeMap(grid);
  const std::string prefix = (fs::temp_directory_path() / "clusters-bench-out").string();
  std::vector<double> whole, floor;
  long peakKib = 0;
  std::int64_t unpackedMap = 0, unpackedAtlases = 0;
  for (int run = 0; run < kRuns; ++run) {
    const Measured m = runClusters(map, prefix);
    whole.push_back(m.seconds);
    peakKib = std::max(peakKib, m.peakKib);
    const auto start = Clock::now();
    unpackedMap = inflateFile(map);
    unpackedAtlases = 0;
    for (const char* atlas : kAtlasFiles) {
      unpackedAtlases += inflateFile((fs::path(kDataDirectory) / atlas).string());
    }
    floor.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  const double bound =
      (4.0 * static_cast<double>(unpackedMap) + static_cast<double>(unpackedAtlases)) / 1024.0;
  std::printf(
      "%s map %lldx%lldx%lld: whole process %.3f s (target %.1f s), floor of inflating "
      "map and atlases %.3f s, ratio %.2f\n",
      grid.name, static_cast<long long>(grid.nx), static_cast<long long>(grid.ny),
      static_cast<long long>(grid.nz), median(whole), targetSeconds, median(floor),
      median(whole) / median(floor));
  std::printf("  peak RSS %.1f MiB; 4x unpacked map plus atlases %.1f MiB\n", peakKib / 1024.0,
              bound / 1024.0);
  for (const char* suffix : {"_clusters.tsv", "_peaks.tsv", ".json", "_clusters.nii.gz"}) {
    fs::remove(prefix + suffix);
  }
  fs::remove(map);
}

}  // namespace

int main(int argc, char* argv[]) {
  // Leaves the 2 mm map at a path, for measuring other programs on it.
  if (argc == 3 && std::string(argv[1]) == "--write-map") {
    const std::string map = writeMap({"2mm", 91, 109, 91, 2.0});
    fs::copy_file(map, argv[2], fs::copy_options::overwrite_existing);
    fs::remove(map);
    return 0;
  }
  measure({"2mm", 91, 109, 91, 2.0}, 0.3);
  measure({"1mm", 182, 218, 182, 1.0}, 1.5);
  return 0;
}
