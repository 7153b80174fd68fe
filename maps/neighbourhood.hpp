// The voxels that touch a voxel on a grid: by faces (6), faces and edges (18), or also corners
// (26).
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/grid.hpp"

namespace maps {

class Neighbourhood {
 public:
  Neighbourhood(const imaging::Grid& grid, int connectivity);

  // Calls visit(index) for each neighbour of `voxel` that lies inside the grid.
  template <typename Visit>
  void forEach(std::int64_t voxel, Visit&& visit) const {
    const imaging::Index3 v = grid_.voxelOfLinear(voxel);
    for (const auto& d : offsets_) {
      const imaging::Index3 n{v[0] + d[0], v[1] + d[1], v[2] + d[2]};
      if (grid_.contains(n)) {
        visit(static_cast<std::int64_t>(grid_.linearOf(n)));
      }
    }
  }

 private:
  imaging::Grid grid_;
  std::vector<imaging::Index3> offsets_;
};

}  // namespace maps
