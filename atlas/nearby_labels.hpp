// The labels near a voxel of one atlas: the nearest named label, and every label within a
// radius, by the distance in millimetres between voxel centres.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "atlas/distance_map.hpp"
#include "atlas/label_atlas.hpp"

namespace atlas {

struct LabelDistance {
  std::uint16_t index = 0;  // the atlas's compact label index, never 0
  double distanceMm = 0;
  bool operator==(const LabelDistance&) const = default;
};

// How far a nearest-label map reaches beyond the grid, in voxels. Grids stop short of the brain
// in places; a margin of a few voxels answers the points there at once without growing the map
// much.
inline constexpr std::int64_t kLargestMapMargin = 6;

class NearbyLabels {
 public:
  // Searches reach at most `radiusMm`. A nearest-label map (each voxel's nearest named voxel)
  // costs passes over the atlas at start-up, answers the nearest label inside the grid at once,
  // and lets other searches skip to where the labels start; it pays off for many points.
  NearbyLabels(const LabelAtlas& atlas, double radiusMm, bool withDistanceMap);
  // The same with a nearest-label map made earlier (nearestLabelMap with `margin`, at most
  // kLargestMapMargin), held elsewhere for as long as this search lives.
  NearbyLabels(const LabelAtlas& atlas, double radiusMm, std::span<const NearestEntry> map,
               const VoxelIndex& margin,
               std::shared_ptr<const cache::BlockVerifiedBytes> mapVerifier = nullptr);

  // The nearest named label within `radiusMm` (at most the constructor's), 0 mm where the voxel
  // itself is named. Of several labels at the same least distance the one with the lowest
  // label value is chosen, so the answer depends on the atlas alone.
  std::optional<LabelDistance> nearest(const VoxelIndex& voxel, double radiusMm) const;

  // Every distinct label with a voxel within `radiusMm`, each at its least distance, nearest
  // first and equal distances by label value.
  std::vector<LabelDistance> within(const VoxelIndex& voxel, double radiusMm) const;

 private:
  struct Offset {
    std::int32_t di, dj, dk;
    double squaredMm;
    std::int64_t linear;
  };

  void makeOffsets(double radiusMm);
  // The first offset that can reach a named voxel from `voxel`.
  std::size_t firstUsefulOffset(const VoxelIndex& voxel) const;
  bool awayFromEdges(const VoxelIndex& voxel) const;
  std::uint16_t indexAtOffset(const VoxelIndex& voxel, bool inner, const Offset& o) const;

  const LabelAtlas* atlas_;
  std::vector<Offset> offsets_;          // within the radius, nearest first
  std::array<std::int64_t, 3> reach_{};  // the largest |offset| along each axis
  // For a whole number m of squared millimetres, the first offset at least m - 1 away.
  std::vector<std::uint32_t> shellStart_;
  // The map's place for a voxel, when the map covers it.
  std::optional<std::size_t> mapIndexOf(const VoxelIndex& voxel) const;

  std::vector<NearestEntry> builtMap_;  // the map when this search built it
  std::span<const NearestEntry> map_;   // empty without a map
  // Verifies each block of a map held elsewhere when it is first read.
  std::shared_ptr<const cache::BlockVerifiedBytes> mapVerifier_;
  NearestEntry mapEntry(std::size_t at) const {
    if (mapVerifier_) {
      mapVerifier_->verify(at * sizeof(NearestEntry), sizeof(NearestEntry));
    }
    return map_[at];
  }
  VoxelIndex margin_{};            // how far the map reaches beyond the grid, in voxels
  std::array<std::int64_t, 3> mapGrid_{};
};

}  // namespace atlas
