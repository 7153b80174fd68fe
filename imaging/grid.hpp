// A grid of voxels placed in the world: its size, its voxel-to-world transform, and the
// arithmetic between voxel indices, linear indices and world points.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "imaging/affine.hpp"

namespace imaging {

// Voxel indices along i, j, k; they may lie outside the grid.
using Index3 = std::array<std::int64_t, 3>;

// Which of a NIfTI header's two transforms places a grid in the world.
enum class Transform { kSform, kQform };

// "sform" or "qform".
const char* nameOf(Transform transform);

// A NIfTI header's transforms with their codes, 0 where a transform is not set.
struct HeaderTransforms {
  int sformCode = 0;
  Affine sform{};
  int qformCode = 0;
  Affine qform{};
};

// The sform when its code is set and it is finite and invertible, else the qform on the same
// terms: several shipped atlases carry a stale qform beside a good sform, and some maps a
// singular sform beside a good qform. Nothing when neither will do.
std::optional<Transform> chooseTransform(const HeaderTransforms& transforms);

class Grid {
 public:
  Grid() = default;
  // Throws std::domain_error when `voxelToWorld` is singular.
  Grid(const Index3& size, const Affine& voxelToWorld, std::int64_t volumes = 1,
       Transform transform = Transform::kSform);

  const Index3& size() const { return size_; }
  std::int64_t volumes() const { return volumes_; }
  // The voxels of one volume.
  std::int64_t voxelCount() const { return size_[0] * size_[1] * size_[2]; }
  Transform transform() const { return transform_; }
  const Affine& voxelToWorld() const { return voxelToWorld_; }
  const Affine& worldToVoxel() const { return worldToVoxel_; }

  // Replaces the transform, for files whose header is known to be wrong.
  void setVoxelToWorld(const Affine& voxelToWorld);

  // Edge lengths of a voxel along each voxel axis, in mm.
  Vec3 voxelSize() const;
  double voxelVolumeMm3() const;

  bool contains(const Index3& v) const {
    return v[0] >= 0 && v[0] < size_[0] && v[1] >= 0 && v[1] < size_[1] && v[2] >= 0 &&
           v[2] < size_[2];
  }
  // i fastest, then j, then k; for a voxel inside the grid.
  std::size_t linearOf(const Index3& v) const {
    return static_cast<std::size_t>(v[0] + size_[0] * (v[1] + size_[1] * v[2]));
  }
  Index3 voxelOfLinear(std::int64_t linear) const {
    return {linear % size_[0], linear / size_[0] % size_[1], linear / (size_[0] * size_[1])};
  }
  Vec3 worldOf(const Index3& v) const;
  Vec3 worldOfLinear(std::int64_t linear) const { return worldOf(voxelOfLinear(linear)); }

  // The voxel whose centre is nearest to a world point, each index rounded half up. Points too
  // far off to compute with, and NaN, land on an index far outside the grid.
  Index3 nearestVoxel(const Vec3& world) const;

  // The same for a world point with integer coordinates, without floating point when the voxels
  // sit on integer points 1 mm apart along the world axes, as in every 1 mm atlas used here.
  Index3 nearestVoxelOfIntegerPoint(const Index3& world) const {
    if (!unitAxes_) {
      return nearestVoxel(Vec3{static_cast<double>(world[0]), static_cast<double>(world[1]),
                               static_cast<double>(world[2])});
    }
    const auto index = [&](const AxisMap& m) { return m.sign * world[m.worldAxis] + m.offset; };
    return {index((*unitAxes_)[0]), index((*unitAxes_)[1]), index((*unitAxes_)[2])};
  }

 private:
  // Voxel axis index = sign * world[worldAxis] + offset.
  struct AxisMap {
    int worldAxis;
    std::int64_t sign, offset;
  };
  using UnitAxes = std::array<AxisMap, 3>;
  static std::optional<UnitAxes> unitAxesOf(const Affine& worldToVoxel);

  Index3 size_{};
  std::int64_t volumes_ = 1;
  Transform transform_ = Transform::kSform;
  Affine voxelToWorld_{}, worldToVoxel_{};
  std::optional<UnitAxes> unitAxes_;
};

}  // namespace imaging
