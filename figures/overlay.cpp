// The statistics drawn over the anatomy: supra-threshold voxels of a map, on the map's grid.
#include "figures/overlay.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace figures {

Overlay::Overlay(std::int64_t nx, std::int64_t ny, std::int64_t nz, std::vector<float> values,
                 const Affine& voxelToWorld, double threshold)
    : nx_(nx),
      ny_(ny),
      nz_(nz),
      values_(std::move(values)),
      voxelToWorld_(voxelToWorld),
      worldToVoxel_(atlas::invert(voxelToWorld)),
      threshold_(std::abs(threshold)) {
  if (values_.size() != static_cast<std::size_t>(nx * ny * nz)) {
    throw std::invalid_argument("overlay values do not fill its grid");
  }
  for (const float v : values_) {
    extreme_ = std::max(extreme_, static_cast<double>(std::abs(v)));
  }
  // A voxel step moves the world point by one column of the affine: its extent per axis.
  for (int axis = 0; axis < 3; ++axis) {
    voxelSize_[axis] = std::abs(voxelToWorld[axis][0]) + std::abs(voxelToWorld[axis][1]) +
                       std::abs(voxelToWorld[axis][2]);
  }
}

float Overlay::valueAt(const Vec3& world) const {
  const Vec3 v = atlas::roundHalfUp(atlas::applyAffine(worldToVoxel_, world));
  const auto inside = [](double index, std::int64_t size) {
    return index >= 0 && index < static_cast<double>(size);
  };
  if (!(inside(v[0], nx_) && inside(v[1], ny_) && inside(v[2], nz_))) {
    return 0;
  }
  const auto i = static_cast<std::size_t>(v[0]), j = static_cast<std::size_t>(v[1]),
             k = static_cast<std::size_t>(v[2]);
  return values_[i + static_cast<std::size_t>(nx_) * (j + static_cast<std::size_t>(ny_) * k)];
}

double Overlay::rampOf(float value) const {
  const double span = extreme_ - threshold_;
  if (!(span > 0)) {
    return 1.0;
  }
  return std::clamp((std::abs(value) - threshold_) / span, 0.0, 1.0);
}

void Overlay::forEachVoxel(const std::function<void(const Vec3&, float)>& visit) const {
  std::size_t index = 0;
  for (std::int64_t k = 0; k < nz_; ++k) {
    for (std::int64_t j = 0; j < ny_; ++j) {
      for (std::int64_t i = 0; i < nx_; ++i, ++index) {
        if (values_[index] != 0) {
          visit(atlas::applyAffine(voxelToWorld_, {static_cast<double>(i), static_cast<double>(j),
                                                   static_cast<double>(k)}),
                values_[index]);
        }
      }
    }
  }
}

}  // namespace figures
