// A statistical map: one volume of real values on the map's own grid, and what its header says.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/nifti_read.hpp"
#include "imaging/volume.hpp"

namespace maps {

struct StatMap {
  // scl_slope and scl_inter applied; NaN and infinities kept.
  imaging::Volume<double> volume;
  imaging::NiftiHeader header;

  const imaging::Grid& grid() const { return volume.grid(); }
  double operator[](std::size_t voxel) const { return volume[voxel]; }
};

// Volume `volume` of a NIfTI file of any real scalar type. Throws std::runtime_error with a
// one-line reason, prefixed with the path.
StatMap readStatMap(const std::string& path, std::int64_t volume = 0);

}  // namespace maps
