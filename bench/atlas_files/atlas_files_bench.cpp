// Times vantrel-atlas answering from the six catalogue atlases given with --atlas-file (each a
// label image with a TSV beside it) against the same atlases built in: one point per atlas and
// a table of 100,000 points with all six, whole processes, runs interleaved.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "atlas/catalogue.hpp"
#include "atlas/label_atlas.hpp"
#include "bench/timed_run.hpp"
#include "testkit/temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
constexpr const char* kData = "/usr/share/mricron/templates";
constexpr int kRuns = 11;
constexpr std::size_t kTablePoints = 100000;

using vantrel::bench::medianOf;

double secondsOf(std::vector<std::string> args) {
  return vantrel::bench::runTimed(std::move(args)).seconds;
}

// KEY.nii.gz (a link to the catalogue's image) and KEY.tsv naming its labels.
std::string writeAsTableAtlas(const atlas::AtlasEntry& entry, const fs::path& dir) {
  const atlas::LabelAtlas loaded = atlas::loadLabelAtlas(entry, kData);
  const fs::path image = dir / (std::string(entry.key) + ".nii.gz");
  fs::create_symlink(fs::path(kData) / entry.file, image);
  std::ofstream tsv(dir / (std::string(entry.key) + ".tsv"));
  tsv << "index\tname\n";
  for (std::size_t i = 1; i <= loaded.provenance().labels; ++i) {
    const atlas::AtlasLabel& label = loaded.label(static_cast<std::uint16_t>(i));
    tsv << label.value << '\t' << label.name << '\n';
  }
  return image.string();
}

void writeTable(const fs::path& path) {
  std::ofstream out(path);
  std::mt19937 random(12);
  std::uniform_int_distribution<int> x(-900, 900), y(-1260, 900), z(-720, 1080);
  out << "x\ty\tz\n";
  for (std::size_t i = 0; i < kTablePoints; ++i) {
    out << x(random) / 10.0 << '\t' << y(random) / 10.0 << '\t' << z(random) / 10.0 << '\n';
  }
}

void report(const std::string& what, const std::vector<double>& builtIn,
            const std::vector<double>& files) {
  std::printf("%-28s built in %6.3f s, --atlas-file %6.3f s  (%+.1f%%; target within 10%%)\n",
              what.c_str(), medianOf(builtIn), medianOf(files),
              100.0 * (medianOf(files) / medianOf(builtIn) - 1.0));
}

}  // namespace

int main() {
  if (!fs::exists(fs::path(kData) / "aal.nii.gz")) {
    std::fprintf(stderr, "atlas_files_bench: %s is missing\n", kData);
    return 1;
  }
  const vantrel::kit::TempDir scratch("vantrel-atlas-files");
  const fs::path& dir = scratch.path();
  std::vector<std::string> allFiles;
  for (const atlas::AtlasEntry& entry : atlas::atlasCatalogue()) {
    const std::string image = writeAsTableAtlas(entry, dir);
    std::vector<double> builtIn, files;
    for (int i = 0; i < kRuns; ++i) {
      builtIn.push_back(secondsOf(
          {VANTREL_ATLAS_BINARY, "point", "--atlas", std::string(entry.key), "-38", "-22", "56"}));
      files.push_back(
          secondsOf({VANTREL_ATLAS_BINARY, "point", "--atlas-file", image, "-38", "-22", "56"}));
    }
    report("point, " + std::string(entry.key), builtIn, files);
    allFiles.insert(allFiles.end(), {"--atlas-file", image});
  }
  const std::string table = (dir / "points.tsv").string();
  writeTable(dir / "points.tsv");
  std::vector<std::string> withFiles = {VANTREL_ATLAS_BINARY, "table"};
  withFiles.insert(withFiles.end(), allFiles.begin(), allFiles.end());
  withFiles.push_back(table);
  std::vector<double> builtIn, files;
  for (int i = 0; i < 3; ++i) {
    builtIn.push_back(secondsOf({VANTREL_ATLAS_BINARY, "table", table}));
    files.push_back(secondsOf(withFiles));
  }
  report("table of 100,000, all six", builtIn, files);
  return 0;
}
