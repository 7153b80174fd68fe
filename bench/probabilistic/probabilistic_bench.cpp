// Times loading a 1 mm probabilistic atlas of 48 regions (uint8, 182x218x182x48, stored as FSL
// stores its atlases, with a summary image and an XML description) and answering one point, in
// a process of its own so that its peak memory is the loader's; beside the floor of inflating
// the 4D image.
#include <nifti2_io.h>
#include <stdio.h>
#include <sys/resource.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "atlas/atlas_sources.hpp"
#include "atlas/probabilistic_atlas.hpp"
#include "atlas/probability_text.hpp"
#include "bench/timed_run.hpp"
#include "testkit/temp_dir.hpp"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::int64_t kNx = 182, kNy = 218, kNz = 182, kRegions = 48;
constexpr std::int64_t kVoxels = kNx * kNy * kNz;
constexpr int kBlobsPerRegion = 6;
constexpr int kRuns = 5;
constexpr double kOrigin[3] = {90, -126, -72};  // MNI152 1 mm: x runs right to left
constexpr const char* kPoint[3] = {"-38", "-22", "56"};

struct Blob {
  double x, y, z, radiusMm;
};

bool insideBrain(double x, double y, double z) {
  const double dx = x / 70, dy = (y + 18) / 90, dz = (z - 15) / 65;
  return dx * dx + dy * dy + dz * dz <= 1;
}

// Each region a few blobs inside the brain, one of region 0's on the point asked about; the
// probability falls from 100% at a blob's centre to 1% at its edge, and blobs overlap as
// neighbouring regions do.
std::vector<std::vector<Blob>> placeBlobs() {
  std::mt19937 random(48);
  std::uniform_real_distribution<double> x(-70, 70), y(-108, 72), z(-50, 80), radius(10, 16);
  std::vector<std::vector<Blob>> regions(kRegions);
  for (auto& blobs : regions) {
    while (blobs.size() < kBlobsPerRegion) {
      const Blob blob{x(random), y(random), z(random), radius(random)};
      if (insideBrain(blob.x, blob.y, blob.z)) {
        blobs.push_back(blob);
      }
    }
  }
  regions[0][0] = {-38, -22, 56, 14};
  return regions;
}

void addBlob(std::vector<std::uint8_t>& volume, const Blob& b) {
  const auto range = [](double centre, double origin, double sign, double r, std::int64_t n) {
    const double a = (centre - r - origin) * sign, c = (centre + r - origin) * sign;
    return std::pair(
        std::max<std::int64_t>(0, static_cast<std::int64_t>(std::floor(std::min(a, c)))),
        std::min<std::int64_t>(n - 1, static_cast<std::int64_t>(std::ceil(std::max(a, c)))));
  };
  const auto [i0, i1] = range(b.x, kOrigin[0], -1, b.radiusMm, kNx);
  const auto [j0, j1] = range(b.y, kOrigin[1], 1, b.radiusMm, kNy);
  const auto [k0, k1] = range(b.z, kOrigin[2], 1, b.radiusMm, kNz);
  for (std::int64_t k = k0; k <= k1; ++k) {
    for (std::int64_t j = j0; j <= j1; ++j) {
      for (std::int64_t i = i0; i <= i1; ++i) {
        const double dx = kOrigin[0] - static_cast<double>(i) - b.x;
        const double dy = kOrigin[1] + static_cast<double>(j) - b.y;
        const double dz = kOrigin[2] + static_cast<double>(k) - b.z;
        const double d2 = (dx * dx + dy * dy + dz * dz) / (b.radiusMm * b.radiusMm);
        if (d2 < 1) {
          std::uint8_t& value = volume[static_cast<std::size_t>(i + kNx * (j + kNy * k))];
          value = std::max(value, static_cast<std::uint8_t>(1 + std::lround(99 * (1 - d2))));
        }
      }
    }
  }
}

// A NIfTI-1 header for uint8 voxels on the MNI152 1 mm grid, followed by its extension bytes.
std::vector<char> headerBytes(std::int64_t volumes) {
  const std::int64_t dims[8] = {volumes > 1 ? 4 : 3, kNx, kNy, kNz, volumes, 1, 1, 1};
  nifti_image* image = nifti_make_new_nim(dims, DT_UINT8, 0);
  image->nifti_type = NIFTI_FTYPE_NIFTI1_1;
  image->sform_code = image->qform_code = NIFTI_XFORM_MNI_152;
  const double sform[3][4] = {{-1, 0, 0, kOrigin[0]}, {0, 1, 0, kOrigin[1]}, {0, 0, 1, kOrigin[2]}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) {
      image->sto_xyz.m[r][c] = sform[r][c];
    }
  }
  image->qto_xyz = image->sto_xyz;
  nifti_dmat44_to_quatern(image->sto_xyz, &image->quatern_b, &image->quatern_c, &image->quatern_d,
                          &image->qoffset_x, &image->qoffset_y, &image->qoffset_z, &image->dx,
                          &image->dy, &image->dz, &image->qfac);
  nifti_1_header header;
  nifti_convert_nim2n1hdr(image, &header);
  nifti_image_free(image);
  header.vox_offset = 352;
  std::vector<char> bytes(352, 0);
  std::memcpy(bytes.data(), &header, sizeof header);
  return bytes;
}

void writeVolume(gzFile file, const std::vector<std::uint8_t>& volume) {
  gzwrite(file, volume.data(), static_cast<unsigned>(volume.size()));
}

// The atlas as FSL lays it out: DIR/bench.xml naming bench/bench-prob-1mm.nii.gz and its
// summary bench/bench-maxprob-1mm.nii.gz, whose values are the most probable index + 1.
// Counts the probabilities above 0 into `nonzero`.
std::string writeAtlas(const fs::path& dir, std::int64_t& nonzero) {
  fs::create_directories(dir / "bench");
  const auto blobs = placeBlobs();
  std::vector<std::uint8_t> volume(kVoxels), highest(kVoxels, 0), summary(kVoxels, 0);
  gzFile file = gzopen((dir / "bench/bench-prob-1mm.nii.gz").c_str(), "wb");
  const std::vector<char> header = headerBytes(kRegions);
  gzwrite(file, header.data(), static_cast<unsigned>(header.size()));
  for (std::int64_t region = 0; region < kRegions; ++region) {
    std::fill(volume.begin(), volume.end(), 0);
    for (const Blob& blob : blobs[static_cast<std::size_t>(region)]) {
      addBlob(volume, blob);
    }
    for (std::size_t v = 0; v < volume.size(); ++v) {
      nonzero += volume[v] > 0;
      if (volume[v] > highest[v]) {
        highest[v] = volume[v];
        summary[v] = static_cast<std::uint8_t>(region + 1);
      }
    }
    writeVolume(file, volume);
  }
  gzclose(file);
  file = gzopen((dir / "bench/bench-maxprob-1mm.nii.gz").c_str(), "wb");
  const std::vector<char> summaryHeader = headerBytes(1);
  gzwrite(file, summaryHeader.data(), static_cast<unsigned>(summaryHeader.size()));
  writeVolume(file, summary);
  gzclose(file);
  std::ofstream xml(dir / "bench.xml");
  xml << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<atlas version=\"1.0\"><header>"
         "<name>Bench Probabilistic Atlas</name><shortname>BPA</shortname>"
         "<type>Probabilistic</type><images><imagefile>/bench/bench-prob-1mm</imagefile>"
         "<summaryimagefile>/bench/bench-maxprob-1mm</summaryimagefile></images></header><data>\n";
  for (std::int64_t region = 0; region < kRegions; ++region) {
    xml << "<label index=\"" << region << "\" x=\"0\" y=\"0\" z=\"0\">Bench Region " << region + 1
        << "</label>\n";
  }
  xml << "</data></atlas>\n";
  return (dir / "bench.xml").string();
}

std::size_t firstResolution(const std::vector<std::string>&) {
  return 0;
}

// What `point` does with the atlas: load it and answer one point.
int loadAndAnswer(const std::string& xml, const char* const point[3]) {
  const atlas::AtlasSource source = atlas::describeAtlas(xml, "", firstResolution);
  const atlas::ProbabilisticAtlas loaded = atlas::loadProbabilisticAtlas(source);
  const imaging::Vec3 world = {std::stod(point[0]), std::stod(point[1]), std::stod(point[2])};
  std::printf(
      "%s\n",
      atlas::probabilitiesText(atlas::probabilitiesAt(loaded, world), loaded.regions).c_str());
  return 0;
}

double inflate(const std::string& path) {
  const auto start = Clock::now();
  gzFile file = gzopen(path.c_str(), "rb");
  gzbuffer(file, 1 << 18);
  std::vector<char> buffer(1 << 22);
  while (gzread(file, buffer.data(), static_cast<unsigned>(buffer.size())) > 0) {
  }
  gzclose(file);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string capture(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    out += buffer;
  }
  if (pipe != nullptr) {
    pclose(pipe);
  }
  return out;
}

// User and system time of every child process waited for so far.
double childCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc == 6 && std::string(argv[1]) == "--load") {
    return loadAndAnswer(argv[2], argv + 3);
  }
  // Leaves the atlas in a folder, for measuring the programs with it.
  if (argc == 3 && std::string(argv[1]) == "--write") {
    std::int64_t nonzero = 0;
    std::printf("%s\n", writeAtlas(argv[2], nonzero).c_str());
    return 0;
  }
  const vantrel::kit::TempDir dir("probabilistic-bench");
  std::int64_t nonzero = 0;
  const std::string xml = writeAtlas(dir.path(), nonzero);
  const std::string image = (dir / "bench/bench-prob-1mm.nii.gz").string();
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const std::string load =
      self + " --load " + xml + " " + kPoint[0] + " " + kPoint[1] + " " + kPoint[2];
  std::printf(
      "atlas: %lldx%lldx%lldx%lld uint8, %.1f MiB as .nii.gz, %.2f million probabilities "
      "above 0 (%.1f%% of the values)\n",
      static_cast<long long>(kNx), static_cast<long long>(kNy), static_cast<long long>(kNz),
      static_cast<long long>(kRegions), static_cast<double>(fs::file_size(image)) / (1 << 20),
      static_cast<double>(nonzero) / 1e6,
      100.0 * static_cast<double>(nonzero) / static_cast<double>(kVoxels * kRegions));
  std::printf("point %s %s %s: %s", kPoint[0], kPoint[1], kPoint[2], capture(load).c_str());
  std::vector<double> seconds, cpu, floors;
  long peakKib = 0;
  for (int run = 0; run < kRuns; ++run) {
    long long ns = 0;
    long kib = 0;
    int status = -1;
    const double cpuBefore = childCpuSeconds();
    const std::string out = capture(std::string(VANTREL_RUN_MEASURED) + " /dev/null " + load);
    cpu.push_back(childCpuSeconds() - cpuBefore);
    if (std::sscanf(out.c_str(), "%lld %ld %d", &ns, &kib, &status) != 3 || status != 0) {
      std::fprintf(stderr, "probabilistic_bench: the load failed (status %d)\n", status);
      return 1;
    }
    seconds.push_back(static_cast<double>(ns) / 1e9);
    peakKib = std::max(peakKib, kib);
    floors.push_back(inflate(image));
  }
  std::printf(
      "load and answer one point: median %.3f s, cpu %.3f s (target 2 s), peak RSS "
      "%.1f MiB (target 128 MiB); floor of inflating the 4D image %.3f s\n",
      vantrel::bench::medianOf(seconds), vantrel::bench::medianOf(cpu),
      static_cast<double>(peakKib) / 1024.0, vantrel::bench::medianOf(floors));
  return 0;
}
