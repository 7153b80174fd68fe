// The cluster map as a NIfTI file: each voxel's cluster number on the statistical map's grid.
#pragma once

#include <string>
#include <vector>

#include "maps/clusters.hpp"
#include "maps/stat_map.hpp"

namespace maps {

// Writes each voxel's cluster number, 0 outside every cluster, to `path` as gzip-compressed
// NIfTI on the grid of `map`, with its header, sform and qform. The datatype is the smallest of
// UINT8, INT16 and INT32 that holds every number. Throws std::runtime_error on failure.
void writeClusterMap(const std::string& path, const StatMap& map,
                     const std::vector<Cluster>& clusters);

}  // namespace maps
