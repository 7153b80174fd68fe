// The cluster map as a NIfTI file: each voxel's cluster number on the statistical map's grid.
#include "maps/cluster_map.hpp"

#include <limits>

#include "imaging/nifti_write.hpp"

namespace maps {
namespace {

template <typename T>
void writeNumbersAs(const std::string& path, const StatMap& map,
                    const std::vector<Cluster>& clusters) {
  const imaging::Grid& grid = map.grid();
  std::vector<T> numbers(static_cast<std::size_t>(grid.voxelCount()), 0);
  for (const Cluster& cluster : clusters) {
    for (std::int64_t voxel : cluster.voxels) {
      numbers[static_cast<std::size_t>(voxel)] = static_cast<T>(cluster.number);
    }
  }
  imaging::writeLabelsLike(path, imaging::Volume<T>(grid, std::move(numbers)), map.header,
                           {"cluster numbers", static_cast<double>(clusters.size())});
}

}  // namespace

void writeClusterMap(const std::string& path, const StatMap& map,
                     const std::vector<Cluster>& clusters) {
  const auto count = static_cast<std::int64_t>(clusters.size());
  if (count <= std::numeric_limits<std::uint8_t>::max()) {
    writeNumbersAs<std::uint8_t>(path, map, clusters);
  } else if (count <= std::numeric_limits<std::int16_t>::max()) {
    writeNumbersAs<std::int16_t>(path, map, clusters);
  } else {
    writeNumbersAs<std::int32_t>(path, map, clusters);
  }
}

}  // namespace maps
