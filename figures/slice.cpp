// Orthogonal slices: which world axes a panel shows, and the world point under each cell.
#include "figures/slice.hpp"

#include <algorithm>
#include <cmath>

namespace figures {

Extent extentOf(const imaging::Grid& grid) {
  Extent extent{{1e300, 1e300, 1e300}, {-1e300, -1e300, -1e300}};
  const imaging::Index3& size = grid.size();
  for (int corner = 0; corner < 8; ++corner) {
    const Vec3 world = grid.worldOf({(corner & 1) ? size[0] - 1 : 0, (corner & 2) ? size[1] - 1 : 0,
                                     (corner & 4) ? size[2] - 1 : 0});
    for (int axis = 0; axis < 3; ++axis) {
      extent.lo[axis] = std::min(extent.lo[axis], std::floor(world[axis]));
      extent.hi[axis] = std::max(extent.hi[axis], std::ceil(world[axis]));
    }
  }
  return extent;
}

PlaneAxes axesOf(Plane plane) {
  switch (plane) {
    case Plane::Sagittal:
      return {1, 2, 0};
    case Plane::Coronal:
      return {0, 2, 1};
    case Plane::Axial:
      break;
  }
  return {0, 1, 2};
}

int columnsOf(const Extent& extent, Plane plane) {
  const int axis = axesOf(plane).across;
  return static_cast<int>(extent.hi[axis] - extent.lo[axis]) + 1;
}

int rowsOf(const Extent& extent, Plane plane) {
  const int axis = axesOf(plane).up;
  return static_cast<int>(extent.hi[axis] - extent.lo[axis]) + 1;
}

}  // namespace figures
