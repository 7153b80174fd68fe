// Each voxel's squared distance in millimetres to the nearest voxel with a named label.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "atlas/label_atlas.hpp"

namespace atlas {

inline constexpr std::uint16_t kFarSquaredDistance = 65535;

// floor(squared distance), capped at kFarSquaredDistance; 0 on a named voxel. An exact
// Euclidean transform (three separable passes of lower parabola envelopes), so it needs a grid
// whose axes are perpendicular; nothing for an oblique grid or an atlas without names.
std::optional<std::vector<std::uint16_t>> squaredDistanceMap(const LabelAtlas& atlas);

}  // namespace atlas
