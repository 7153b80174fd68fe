// What a cluster is made of in a probabilistic atlas, summed in whole hundredths of a percent
// so that equal shares compare equal.
#include "maps/probabilistic_composition.hpp"

#include <algorithm>

namespace maps {

std::vector<RegionProbabilityShare> probabilisticCompositionOf(
    const Cluster& cluster, const StatMap& map, const atlas::ProbabilisticAtlas& atlas) {
  return probabilisticCompositionOf(cluster, map, *atlas.probabilities, atlas.grid());
}

std::vector<RegionProbabilityShare> probabilisticCompositionOf(
    const Cluster& cluster, const StatMap& map, const atlas::SparseProbabilities& probabilities,
    const imaging::Grid& atlasGrid) {
  std::vector<std::int64_t> centiSums(probabilities.regions(), 0);
  for (const std::int64_t voxel : cluster.voxels) {
    const imaging::Index3 at = atlasGrid.nearestVoxel(map.grid().worldOfLinear(voxel));
    if (!atlasGrid.contains(at)) {
      continue;
    }
    for (const atlas::RegionProbability& p :
         probabilities.at(static_cast<std::int64_t>(atlasGrid.linearOf(at)))) {
      centiSums[p.region] += p.centiPercent;
    }
  }
  const double clusterVoxels = static_cast<double>(cluster.voxels.size());
  const double volumeRatio = map.grid().voxelVolumeMm3() / atlasGrid.voxelVolumeMm3();
  std::vector<RegionProbabilityShare> shares;
  for (std::size_t region = 0; region < centiSums.size(); ++region) {
    if (centiSums[region] == 0) {
      continue;
    }
    const double sum = static_cast<double>(centiSums[region]) / 100.0;  // percent-voxels
    shares.push_back({static_cast<std::uint16_t>(region), sum / clusterVoxels,
                      100.0 * sum * volumeRatio / probabilities.regionMass()[region]});
  }
  std::stable_sort(shares.begin(), shares.end(),
                   [&](const RegionProbabilityShare& a, const RegionProbabilityShare& b) {
                     return centiSums[a.region] > centiSums[b.region];
                   });
  return shares;
}

}  // namespace maps

namespace maps {

std::vector<RegionShare> probabilisticSharesOf(const Cluster& cluster, const StatMap& map,
                                               const atlas::LabelAtlas& atlas) {
  std::vector<RegionShare> shares;
  for (const RegionProbabilityShare& share :
       probabilisticCompositionOf(cluster, map, *atlas.probabilities(), atlas.grid())) {
    shares.push_back(
        {atlas.indexOfRegion(share.region), 0, share.percentOfCluster, share.percentOfRegion});
  }
  return shares;
}

}  // namespace maps
