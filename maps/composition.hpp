// What a cluster is made of in one atlas: the labels its voxels fall in, with their shares.
#pragma once

#include <cstdint>
#include <vector>

#include "atlas/label_atlas.hpp"
#include "maps/clusters.hpp"
#include "maps/stat_map.hpp"

namespace maps {

struct RegionShare {
  std::uint16_t index = 0;  // the atlas's compact label index; 0 for the unlabelled voxels
  std::int64_t voxels = 0;  // map voxels
  double percentOfCluster = 0;
  // The cluster's volume in the region over the region's volume in the atlas; none for the
  // unlabelled voxels.
  double percentOfRegion = 0;
};

// Each label's voxel count over a whole atlas, by compact index, and the atlas voxel's volume.
struct RegionVolumes {
  std::vector<std::int64_t> voxelsByIndex;
  double voxelVolumeMm3 = 0;
};

RegionVolumes regionVolumesOf(const atlas::LabelAtlas& atlas);

// The shares of every label a cluster's voxel centres fall in, largest first; equal counts in
// label order, the unlabelled voxels after every label.
std::vector<RegionShare> compositionOf(const Cluster& cluster, const StatMap& map,
                                       const atlas::LabelAtlas& atlas,
                                       const RegionVolumes& volumes);

}  // namespace maps
