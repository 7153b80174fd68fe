// What a cluster is made of in one atlas: the labels its voxels fall in, with their shares.
#include "maps/composition.hpp"

#include <algorithm>

namespace maps {

RegionVolumes regionVolumesOf(const atlas::LabelAtlas& atlas) {
  RegionVolumes volumes;
  volumes.voxelVolumeMm3 = atlas.grid().voxelVolumeMm3();
  // Compact indices run from 1 to the number of named labels.
  volumes.voxelsByIndex.assign(atlas.provenance().labels + 1, 0);
  for (const std::uint16_t index : atlas.indices()) {
    ++volumes.voxelsByIndex[index];
  }
  return volumes;
}

std::vector<RegionShare> compositionOf(const Cluster& cluster, const StatMap& map,
                                       const atlas::LabelAtlas& atlas,
                                       const RegionVolumes& volumes) {
  std::vector<std::int64_t> counts(volumes.voxelsByIndex.size() + 1, 0);
  for (std::int64_t voxel : cluster.voxels) {
    const std::uint16_t index = atlas.indexAtWorld(map.grid().worldOfLinear(voxel));
    if (index >= counts.size()) {
      counts.resize(index + std::size_t{1}, 0);
    }
    ++counts[index];
  }
  const auto clusterVoxels = static_cast<double>(cluster.voxels.size());
  std::vector<RegionShare> shares;
  for (std::size_t index = 0; index < counts.size(); ++index) {
    if (counts[index] == 0) {
      continue;
    }
    RegionShare share{static_cast<std::uint16_t>(index), counts[index],
                      100.0 * static_cast<double>(counts[index]) / clusterVoxels, 0};
    if (index > 0 && index < volumes.voxelsByIndex.size() && volumes.voxelsByIndex[index] > 0) {
      share.percentOfRegion =
          100.0 * static_cast<double>(counts[index]) * map.grid().voxelVolumeMm3() /
          (static_cast<double>(volumes.voxelsByIndex[index]) * volumes.voxelVolumeMm3);
    }
    shares.push_back(share);
  }
  std::stable_sort(shares.begin(), shares.end(), [](const RegionShare& a, const RegionShare& b) {
    if (a.voxels != b.voxels) {
      return a.voxels > b.voxels;
    }
    return (a.index == 0) < (b.index == 0);
  });
  return shares;
}

}  // namespace maps
