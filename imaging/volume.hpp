// Values on a grid: one volume or several, i fastest and the volume slowest.
#pragma once

#include <stdexcept>
#include <utility>
#include <vector>

#include "imaging/grid.hpp"

namespace imaging {

template <typename T>
class Volume {
 public:
  Volume() = default;
  // Throws std::invalid_argument when `values` do not fill every volume of the grid.
  Volume(Grid grid, std::vector<T> values) : grid_(std::move(grid)), values_(std::move(values)) {
    if (values_.size() != static_cast<std::size_t>(grid_.voxelCount() * grid_.volumes())) {
      throw std::invalid_argument("the values do not fill their grid");
    }
  }

  const Grid& grid() const { return grid_; }
  // Replaces the grid's transform, for files whose header is known to be wrong.
  void setVoxelToWorld(const Affine& voxelToWorld) { grid_.setVoxelToWorld(voxelToWorld); }

  const std::vector<T>& values() const { return values_; }
  // Hands the values over to a new owner, leaving the volume empty.
  std::vector<T> takeValues() && { return std::move(values_); }
  T operator[](std::size_t linear) const { return values_[linear]; }

  // The value of a voxel of the first volume; T{} outside the grid.
  T at(const Index3& voxel) const {
    return grid_.contains(voxel) ? values_[grid_.linearOf(voxel)] : T{};
  }
  // The value of the voxel whose centre is nearest to a world point; T{} outside the grid.
  T atWorld(const Vec3& world) const { return at(grid_.nearestVoxel(world)); }
  // The same for a world point with integer coordinates, fast on 1 mm grids.
  T atIntegerPoint(const Index3& world) const {
    return at(grid_.nearestVoxelOfIntegerPoint(world));
  }

 private:
  Grid grid_;
  std::vector<T> values_;
};

}  // namespace imaging
