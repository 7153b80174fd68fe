// A label volume read from a NIfTI file: one byte per voxel, looked up by world coordinates.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "imaging/transform.hpp"

namespace atlas {

class LabelVolume {
 public:
  LabelVolume() = default;

  // Takes ownership of `voxels`, a malloc'd block of nx*ny*nz bytes, x fastest.
  LabelVolume(std::int64_t nx, std::int64_t ny, std::int64_t nz, std::uint8_t* voxels,
              const Affine& voxelToWorld);

  std::int64_t nx() const { return nx_; }
  std::int64_t ny() const { return ny_; }
  std::int64_t nz() const { return nz_; }
  const Affine& voxelToWorld() const { return voxelToWorld_; }

  // Replaces the header's orientation, for files whose header is known to be wrong.
  void setVoxelToWorld(const Affine& voxelToWorld);

  // The voxel nearest to a world point (halves round up); 0 outside the grid.
  std::uint8_t at(const Vec3& world) const;

  // The same for a world point with integer coordinates, without floating point when the
  // voxels sit on integer points 1 mm apart, as in every 1 mm atlas used here.
  std::uint8_t atIntegerPoint(const std::array<std::int64_t, 3>& world) const;

 private:
  // Voxel axis index = sign * world[worldAxis] + offset.
  struct AxisMap {
    int worldAxis;
    std::int64_t sign, offset;
  };
  using UnitGrid = std::array<AxisMap, 3>;
  static std::optional<UnitGrid> unitGridOf(const Affine& worldToVoxel);

  struct FreeMalloced {
    void operator()(std::uint8_t* p) const;
  };

  std::int64_t nx_ = 0, ny_ = 0, nz_ = 0;
  std::unique_ptr<std::uint8_t[], FreeMalloced> voxels_;
  Affine voxelToWorld_{};
  Affine worldToVoxel_{};
  std::optional<UnitGrid> unitGrid_;
};

// Reads a 3-D unsigned 8-bit NIfTI-1 or NIfTI-2 file (.nii or .nii.gz). Orientation comes from
// the sform, or the qform when there is no sform. Throws std::runtime_error saying why a file is
// refused.
LabelVolume readLabelVolume(const std::string& path);

}  // namespace atlas
