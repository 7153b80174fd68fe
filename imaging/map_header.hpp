// The header of a statistical map file, checked against the file before any voxel is read.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace atlas {

// Volumes larger than this are refused before anything is allocated.
inline constexpr std::int64_t kMaxMapVoxels = (std::int64_t{1} << 31) - 1;

// Where one volume's values lie in a map file, and how to read them.
struct MapLayout {
  int version = 1;       // NIfTI-1 or NIfTI-2
  bool swapped = false;  // the file's byte order is not the host's
  std::int64_t nx = 1, ny = 1, nz = 1, volumes = 1;
  int datatype = 0;
  int bytesPerValue = 0;
  double slope = 0, inter = 0;    // scl_slope and scl_inter, both finite
  std::int64_t volumeOffset = 0;  // in the file's uncompressed bytes
};

[[noreturn]] void refuseMap(const std::string& path, const std::string& why);

// Reads the header from `file`, opened with gzopen and not read yet, into `header` in host
// byte order, and checks every size it declares against the file at `path` for volume
// `volume`. Throws std::runtime_error with a one-line reason.
MapLayout readMapLayout(gzFile_s* file, const std::string& path, std::int64_t volume,
                        std::vector<std::byte>& header);

}  // namespace atlas
