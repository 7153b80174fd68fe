// The statistics drawn over the anatomy: supra-threshold voxels of a map, on the map's grid.
#pragma once

#include <functional>

#include "imaging/volume.hpp"

namespace figures {

using imaging::Affine;
using imaging::Vec3;

class Overlay {
 public:
  // 0 marks a voxel outside every cluster; `threshold` is where the colour ramps start.
  Overlay(imaging::Volume<float> values, double threshold);

  // The value of the voxel whose centre is nearest, 0 outside the grid.
  float valueAt(const Vec3& world) const { return values_.atWorld(world); }

  // Where a value falls between the threshold (0) and the map's most extreme value (1).
  double rampOf(float value) const;

  // Every voxel in a cluster, with its world centre.
  void forEachVoxel(const std::function<void(const Vec3&, float)>& visit) const;

  // The voxel's extent along each world axis, in mm.
  const Vec3& voxelSize() const { return voxelSize_; }

 private:
  imaging::Volume<float> values_;
  Vec3 voxelSize_{};
  double threshold_, extreme_ = 0;
};

}  // namespace figures
