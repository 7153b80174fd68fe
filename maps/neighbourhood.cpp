// The voxels that touch a voxel on a grid: by faces (6), faces and edges (18), or also corners
// (26).
#include "maps/neighbourhood.hpp"

#include <cstdlib>

namespace maps {

Neighbourhood::Neighbourhood(const imaging::Grid& grid, int connectivity) : grid_(grid) {
  // A face neighbour differs along one axis, an edge neighbour along two, a corner along three.
  const int maxAxesMoved = connectivity == 6 ? 1 : connectivity == 18 ? 2 : 3;
  for (std::int64_t dz = -1; dz <= 1; ++dz) {
    for (std::int64_t dy = -1; dy <= 1; ++dy) {
      for (std::int64_t dx = -1; dx <= 1; ++dx) {
        const auto moved = std::llabs(dx) + std::llabs(dy) + std::llabs(dz);
        if (moved > 0 && moved <= maxAxesMoved) {
          offsets_.push_back({dx, dy, dz});
        }
      }
    }
  }
}

}  // namespace maps
