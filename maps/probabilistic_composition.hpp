// What a cluster is made of in a probabilistic atlas: each region's mean probability over the
// cluster and the share of the region's probability the cluster holds.
#pragma once

#include <cstdint>
#include <vector>

#include "atlas/label_atlas.hpp"
#include "atlas/probabilistic_atlas.hpp"
#include "maps/clusters.hpp"
#include "maps/composition.hpp"
#include "maps/stat_map.hpp"

namespace maps {

struct RegionProbabilityShare {
  std::uint16_t region = 0;  // the region's position among the atlas's regions (volume order)
  // The region's mean probability over the cluster's voxels, in percent.
  double percentOfCluster = 0;
  // The region's probability summed over the cluster over its sum over the whole atlas, in
  // percent; each sum weighted by its grid's voxel volume, so that a map on another grid than
  // the atlas's counts the same brain.
  double percentOfRegion = 0;
};

// Every region with a probability above 0 somewhere in the cluster, each of the cluster's
// voxel centres read at the nearest atlas voxel; the largest share of the cluster first,
// equal shares in region order.
std::vector<RegionProbabilityShare> probabilisticCompositionOf(
    const Cluster& cluster, const StatMap& map, const atlas::ProbabilisticAtlas& atlas);
std::vector<RegionProbabilityShare> probabilisticCompositionOf(
    const Cluster& cluster, const StatMap& map, const atlas::SparseProbabilities& probabilities,
    const imaging::Grid& atlasGrid);

// The same as the shares of a label atlas's composition: each region by its compact index in
// `atlas`, which must have probabilities; no voxel counts.
std::vector<RegionShare> probabilisticSharesOf(const Cluster& cluster, const StatMap& map,
                                               const atlas::LabelAtlas& atlas);

}  // namespace maps
