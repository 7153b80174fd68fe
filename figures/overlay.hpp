// The statistics drawn over the anatomy: supra-threshold voxels of a map, on the map's grid.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/transform.hpp"

namespace figures {

using atlas::Affine;
using atlas::Vec3;

class Overlay {
 public:
  // `values` holds nx*ny*nz values, x fastest; 0 marks a voxel outside every cluster.
  // `threshold` is where the colour ramps start.
  Overlay(std::int64_t nx, std::int64_t ny, std::int64_t nz, std::vector<float> values,
          const Affine& voxelToWorld, double threshold);

  // The value of the voxel whose centre is nearest, 0 outside the grid.
  float valueAt(const Vec3& world) const;

  // Where a value falls between the threshold (0) and the map's most extreme value (1).
  double rampOf(float value) const;

  // Every voxel in a cluster, with its world centre.
  void forEachVoxel(const std::function<void(const Vec3&, float)>& visit) const;

  // The voxel's extent along each world axis, in mm.
  const Vec3& voxelSize() const { return voxelSize_; }

 private:
  std::int64_t nx_, ny_, nz_;
  std::vector<float> values_;
  Affine voxelToWorld_, worldToVoxel_;
  Vec3 voxelSize_{};
  double threshold_, extreme_ = 0;
};

}  // namespace figures
