// The voxels that touch a voxel on a grid: by faces (6), faces and edges (18), or also corners
// (26).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vantrel_atlas {

class Neighbourhood {
 public:
  Neighbourhood(std::int64_t nx, std::int64_t ny, std::int64_t nz, int connectivity);

  // Calls visit(index) for each neighbour of `voxel` that lies inside the grid.
  template <typename Visit>
  void forEach(std::int64_t voxel, Visit&& visit) const {
    const std::int64_t x = voxel % nx_, y = voxel / nx_ % ny_, z = voxel / (nx_ * ny_);
    for (const auto& d : offsets_) {
      const std::int64_t i = x + d[0], j = y + d[1], k = z + d[2];
      if (i >= 0 && i < nx_ && j >= 0 && j < ny_ && k >= 0 && k < nz_) {
        visit(i + nx_ * (j + ny_ * k));
      }
    }
  }

 private:
  std::int64_t nx_, ny_, nz_;
  std::vector<std::array<std::int64_t, 3>> offsets_;
};

}  // namespace vantrel_atlas
