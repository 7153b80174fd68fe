// A grid of voxels placed in the world: its size, its voxel-to-world transform, and the
// arithmetic between voxel indices, linear indices and world points.
#include "imaging/grid.hpp"

#include <cmath>
#include <stdexcept>

namespace imaging {
namespace {

// Far beyond any grid, yet small enough that index arithmetic cannot overflow.
constexpr double kFarIndex = 1e12;

bool isUsable(const Affine& a) {
  for (const auto& row : a) {
    for (double v : row) {
      if (!std::isfinite(v)) {
        return false;
      }
    }
  }
  try {
    invert(a);
  } catch (const std::domain_error&) {
    return false;
  }
  return true;
}

}  // namespace

const char* nameOf(Transform transform) {
  return transform == Transform::kSform ? "sform" : "qform";
}

std::optional<Transform> chooseTransform(const HeaderTransforms& t) {
  if (t.sformCode > 0 && isUsable(t.sform)) {
    return Transform::kSform;
  }
  if (t.qformCode > 0 && isUsable(t.qform)) {
    return Transform::kQform;
  }
  return std::nullopt;
}

Grid::Grid(const Index3& size, const Affine& voxelToWorld, std::int64_t volumes,
           Transform transform)
    : size_(size), volumes_(volumes), transform_(transform) {
  setVoxelToWorld(voxelToWorld);
}

void Grid::setVoxelToWorld(const Affine& voxelToWorld) {
  voxelToWorld_ = voxelToWorld;
  worldToVoxel_ = invert(voxelToWorld);
  unitAxes_ = unitAxesOf(worldToVoxel_);
}

std::optional<Grid::UnitAxes> Grid::unitAxesOf(const Affine& worldToVoxel) {
  UnitAxes axes{};
  std::array<bool, 3> used{};
  for (std::size_t row = 0; row < 3; ++row) {
    const auto& r = worldToVoxel[row];
    int axis = -1;
    for (int col = 0; col < 3; ++col) {
      if (r[col] == 0.0) {
        continue;
      }
      if (axis >= 0 || std::abs(r[col]) != 1.0) {
        return std::nullopt;
      }
      axis = col;
    }
    if (axis < 0 || used[axis] || r[3] != std::trunc(r[3]) || std::abs(r[3]) > 1e9) {
      return std::nullopt;
    }
    used[axis] = true;
    axes[row] = {axis, static_cast<std::int64_t>(r[axis]), static_cast<std::int64_t>(r[3])};
  }
  return axes;
}

Vec3 Grid::voxelSize() const {
  const Affine& a = voxelToWorld_;
  Vec3 size{};
  for (int col = 0; col < 3; ++col) {
    size[col] = std::hypot(a[0][col], a[1][col], a[2][col]);
  }
  return size;
}

double Grid::voxelVolumeMm3() const {
  const Affine& a = voxelToWorld_;
  return std::abs(a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                  a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                  a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]));
}

Vec3 Grid::worldOf(const Index3& v) const {
  return applyAffine(voxelToWorld_, {static_cast<double>(v[0]), static_cast<double>(v[1]),
                                     static_cast<double>(v[2])});
}

Index3 Grid::nearestVoxel(const Vec3& world) const {
  const Vec3 rounded = roundHalfUp(applyAffine(worldToVoxel_, world));
  Index3 voxel{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    // NaN fails both comparisons and lands far away too.
    const bool near = rounded[axis] > -kFarIndex && rounded[axis] < kFarIndex;
    voxel[axis] = static_cast<std::int64_t>(near ? rounded[axis] : -kFarIndex);
  }
  return voxel;
}

}  // namespace imaging
