// Orthogonal slices: which world axes a panel shows, and the world point under each cell.
#pragma once

#include <array>

#include "imaging/grid.hpp"

namespace figures {

using imaging::Vec3;

enum class Plane { Sagittal, Coronal, Axial };
inline constexpr std::array<Plane, 3> kPlanes{Plane::Sagittal, Plane::Coronal, Plane::Axial};

// The world box the figures show; both corners are voxel centres, 1 mm apart.
struct Extent {
  Vec3 lo, hi;
};

// The box of a grid's voxel centres, rounded outwards to whole millimetres.
Extent extentOf(const imaging::Grid& grid);

// Neurological convention: the subject's left on the left, coronal panels seen from behind and
// axial ones from above, anterior at the top. Sagittal panels are seen from the subject's
// right, anterior to the right.
struct PlaneAxes {
  int across;  // world axis growing rightwards
  int up;      // world axis growing upwards
  int depth;   // world axis the slice cuts
};
PlaneAxes axesOf(Plane plane);

// Cells are 1 mm squares; column 0 is the least `across` value, row 0 the greatest `up`.
int columnsOf(const Extent& extent, Plane plane);
int rowsOf(const Extent& extent, Plane plane);

// Calls visit(column, row, world) for every cell of a slice at `depth`, row by row, with the
// world point at the cell's centre.
template <typename Visit>
void forEachCell(const Extent& extent, Plane plane, double depth, Visit visit) {
  const PlaneAxes axes = axesOf(plane);
  const int columns = columnsOf(extent, plane), rows = rowsOf(extent, plane);
  Vec3 world{};
  world[axes.depth] = depth;
  for (int row = 0; row < rows; ++row) {
    world[axes.up] = extent.hi[axes.up] - row;
    for (int column = 0; column < columns; ++column) {
      world[axes.across] = extent.lo[axes.across] + column;
      visit(column, row, world);
    }
  }
}

}  // namespace figures
