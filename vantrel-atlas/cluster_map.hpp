// The cluster map as a NIfTI file: each voxel's cluster number on the statistical map's grid.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "atlas/stat_map.hpp"

namespace vantrel_atlas {

// Writes `clusterMap` (one number per voxel of `map`, 0 outside every cluster) to `path` as
// gzip-compressed NIfTI, with the map's header, sform and qform. The datatype is the smallest
// of UINT8, INT16 and INT32 that holds `clusterCount`. Throws std::runtime_error on failure.
void writeClusterMap(const std::string& path, const atlas::StatMap& map,
                     const std::vector<std::int32_t>& clusterMap, std::int64_t clusterCount);

}  // namespace vantrel_atlas
