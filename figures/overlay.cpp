// The statistics drawn over the anatomy: supra-threshold voxels of a map, on the map's grid.
#include "figures/overlay.hpp"

#include <algorithm>
#include <cmath>

namespace figures {

Overlay::Overlay(imaging::Volume<float> values, double threshold)
    : values_(std::move(values)), threshold_(std::abs(threshold)) {
  // An infinity would squeeze every finite value to the bottom of the ramp; it takes the top.
  for (const float v : values_.values()) {
    if (std::isfinite(v)) {
      extreme_ = std::max(extreme_, static_cast<double>(std::abs(v)));
    }
  }
  // A voxel step moves the world point by one column of the affine: its extent per axis.
  const Affine& toWorld = values_.grid().voxelToWorld();
  for (int axis = 0; axis < 3; ++axis) {
    voxelSize_[axis] =
        std::abs(toWorld[axis][0]) + std::abs(toWorld[axis][1]) + std::abs(toWorld[axis][2]);
  }
}

double Overlay::rampOf(float value) const {
  const double span = extreme_ - threshold_;
  if (!(span > 0)) {
    return 1.0;
  }
  return std::clamp((std::abs(value) - threshold_) / span, 0.0, 1.0);
}

void Overlay::forEachVoxel(const std::function<void(const Vec3&, float)>& visit) const {
  const std::vector<float>& values = values_.values();
  for (std::size_t index = 0; index < values.size(); ++index) {
    if (values[index] != 0) {
      visit(values_.grid().worldOfLinear(static_cast<std::int64_t>(index)), values[index]);
    }
  }
}

}  // namespace figures
