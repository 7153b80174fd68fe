// For every voxel of an atlas, the nearest voxel with a named label: its squared distance in
// millimetres and its label, ties going to the lowest label value.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "atlas/label_atlas.hpp"

namespace atlas {

// One voxel's entry: squared distance in the high 16 bits (capped at kFarSquaredDistance),
// compact label index in the low 16 bits (0 when the distance is capped).
using NearestEntry = std::uint32_t;
inline constexpr std::uint32_t kFarSquaredDistance = 65535;

inline std::uint32_t squaredDistanceOf(NearestEntry entry) {
  return entry >> 16;
}
inline std::uint16_t labelIndexOf(NearestEntry entry) {
  return static_cast<std::uint16_t>(entry & 0xFFFF);
}

// An exact Euclidean transform with labels carried along (three separable passes of lower
// parabola envelopes); among labels at the same least distance it keeps the lowest label value.
// Needs perpendicular axes whose squared voxel sizes are whole millimetres, so that every
// distance is exact; nothing for other grids. The map covers the grid grown by `margin` voxels
// on each side, so points just outside the grid are answered too; voxel (i, j, k) sits at
// (i + margin[0], j + margin[1], k + margin[2]) of a grid that is 2 * margin larger.
std::optional<std::vector<NearestEntry>> nearestLabelMap(const LabelAtlas& atlas,
                                                         const VoxelIndex& margin);

}  // namespace atlas
