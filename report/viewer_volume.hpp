// Volumes made for the report's viewer: gzip-compressed NIfTI-1 bytes, loaded like the atlases.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/transform.hpp"

namespace report {

struct FloatGrid {
  std::array<std::int64_t, 3> dims{};
  atlas::Affine voxelToWorld{};
  std::vector<float> values;  // dims[0] * dims[1] * dims[2], x fastest
};

// A float32 NIfTI-1 file with the grid's sform, gzip-compressed. Throws std::runtime_error
// when the values do not fill the grid or zlib fails.
std::vector<std::uint8_t> gzippedNifti(const FloatGrid& grid);

}  // namespace report
