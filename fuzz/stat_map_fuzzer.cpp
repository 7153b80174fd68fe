// Fuzzes the NIfTI reader, as a statistical map, as labels and volume by volume, and clustering
// of whatever it accepts: the bytes become a file, since the reader's size checks compare the
// header with the file itself.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "imaging/nifti_read.hpp"
#include "maps/clusters.hpp"
#include "maps/stat_map.hpp"

namespace {

// One file per process, removed when the process ends.
struct ScratchFile {
  std::string path = "/tmp/stat-map-fuzz-XXXXXX";
  ScratchFile() {
    const int fd = mkstemp(path.data());
    if (fd >= 0) {
      close(fd);
    }
  }
  ~ScratchFile() { unlink(path.c_str()); }
};

const std::string& scratchFile() {
  static const ScratchFile file;
  return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = scratchFile();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return 0;
  }
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  try {
    const maps::StatMap map = maps::readStatMap(path, 0);
    maps::findClusters(map, {.threshold = 1, .twoSided = true, .peakDistanceMm = 1});
  } catch (const std::runtime_error&) {
  }
  try {
    imaging::NiftiReader reader(path, {.labels = true});
    reader.bytesBeforeVoxels(std::size_t{1} << 20);
    reader.readStored([](const auto& labels) { return labels.values().size(); });
  } catch (const std::runtime_error&) {
  }
  try {
    imaging::NiftiReader reader(path, {.volume = imaging::kAllVolumes});
    reader.readVolumesAsStored([](std::int64_t, auto values) { return values.size(); });
  } catch (const std::runtime_error&) {
  }
  return 0;
}
