// The labels near a voxel of one atlas: the nearest named label, and every label within a
// radius, by the distance in millimetres between voxel centres.
#include "atlas/nearby_labels.hpp"

#include <algorithm>
#include <cmath>

namespace atlas {
namespace {

using imaging::Affine;

// Squared distances of offsets and of the map agree to far better than this.
constexpr double kSlack = 1e-6;

double squaredMm(const Affine& a, std::int64_t di, std::int64_t dj, std::int64_t dk) {
  double sum = 0;
  for (int row = 0; row < 3; ++row) {
    const double d = a[row][0] * static_cast<double>(di) + a[row][1] * static_cast<double>(dj) +
                     a[row][2] * static_cast<double>(dk);
    sum += d * d;
  }
  return sum;
}

}  // namespace

NearbyLabels::NearbyLabels(const LabelAtlas& atlas, double radiusMm, bool withDistanceMap)
    : atlas_(&atlas) {
  makeOffsets(radiusMm);
  if (withDistanceMap) {
    for (std::size_t axis = 0; axis < 3; ++axis) {
      margin_[axis] = std::min(reach_[axis], kLargestMapMargin);
      mapGrid_[axis] = atlas.grid().size()[axis] + 2 * margin_[axis];
    }
    builtMap_ = nearestLabelMap(atlas, margin_).value_or(std::vector<NearestEntry>{});
    map_ = builtMap_;
  }
}

// A margin wider than the search reaches changes no answer: the map's distances are exact, and
// points beyond the reach are turned away before the map is read.
NearbyLabels::NearbyLabels(const LabelAtlas& atlas, double radiusMm,
                           std::span<const NearestEntry> map, const VoxelIndex& margin,
                           std::shared_ptr<const cache::BlockVerifiedBytes> mapVerifier)
    : atlas_(&atlas), map_(map), mapVerifier_(std::move(mapVerifier)), margin_(margin) {
  makeOffsets(radiusMm);
  for (std::size_t axis = 0; axis < 3; ++axis) {
    mapGrid_[axis] = atlas.grid().size()[axis] + 2 * margin_[axis];
  }
}

void NearbyLabels::makeOffsets(double radiusMm) {
  const Affine& a = atlas_->grid().voxelToWorld();
  const Affine& toVoxel = atlas_->grid().worldToVoxel();
  const double limit = radiusMm * radiusMm + kSlack;
  // A row of the inverse bounds how far along its axis a point within the radius can lie.
  for (int axis = 0; axis < 3; ++axis) {
    const auto& r = toVoxel[axis];
    reach_[axis] =
        static_cast<std::int64_t>(std::floor(radiusMm * std::hypot(r[0], r[1], r[2]) + kSlack));
  }
  const auto& grid = atlas_->grid().size();
  for (std::int64_t dk = -reach_[2]; dk <= reach_[2]; ++dk) {
    for (std::int64_t dj = -reach_[1]; dj <= reach_[1]; ++dj) {
      for (std::int64_t di = -reach_[0]; di <= reach_[0]; ++di) {
        const double d2 = squaredMm(a, di, dj, dk);
        if (d2 <= limit) {
          offsets_.push_back({static_cast<std::int32_t>(di), static_cast<std::int32_t>(dj),
                              static_cast<std::int32_t>(dk), d2,
                              di + grid[0] * (dj + grid[1] * dk)});
        }
      }
    }
  }
  // Ties in distance go by k, j, i, so a search's order depends on geometry alone: the loops
  // above made them in that order, which a stable sort by distance keeps.
  std::stable_sort(offsets_.begin(), offsets_.end(),
                   [](const Offset& x, const Offset& y) { return x.squaredMm < y.squaredMm; });
  const auto shells = static_cast<std::size_t>(std::floor(limit)) + 2;
  shellStart_.resize(shells);
  std::size_t next = 0;
  for (std::size_t m = 0; m < shells; ++m) {
    while (next < offsets_.size() && offsets_[next].squaredMm <= static_cast<double>(m) - 1.0) {
      ++next;
    }
    shellStart_[m] = static_cast<std::uint32_t>(next);
  }
}

bool NearbyLabels::awayFromEdges(const VoxelIndex& v) const {
  const auto& grid = atlas_->grid().size();
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (v[axis] < reach_[axis] || v[axis] >= grid[axis] - reach_[axis]) {
      return false;
    }
  }
  return true;
}

std::optional<std::size_t> NearbyLabels::mapIndexOf(const VoxelIndex& voxel) const {
  std::array<std::int64_t, 3> at{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    at[axis] = voxel[axis] + margin_[axis];
    if (map_.empty() || at[axis] < 0 || at[axis] >= mapGrid_[axis]) {
      return std::nullopt;
    }
  }
  return static_cast<std::size_t>(at[0] + mapGrid_[0] * (at[1] + mapGrid_[1] * at[2]));
}

std::size_t NearbyLabels::firstUsefulOffset(const VoxelIndex& voxel) const {
  const auto& grid = atlas_->grid().size();
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (voxel[axis] < -reach_[axis] || voxel[axis] >= grid[axis] + reach_[axis]) {
      return offsets_.size();
    }
  }
  if (map_.empty()) {
    return 0;
  }
  // The map exists only for perpendicular axes, so the clamped voxel is the map's nearest to
  // the point, and the triangle inequality bounds the distance to any named voxel from below.
  VoxelIndex clamped{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    clamped[axis] =
        std::clamp<std::int64_t>(voxel[axis], -margin_[axis], grid[axis] + margin_[axis] - 1);
  }
  const double outside = std::sqrt(squaredMm(atlas_->grid().voxelToWorld(), voxel[0] - clamped[0],
                                             voxel[1] - clamped[1], voxel[2] - clamped[2]));
  const double fromClamped =
      std::sqrt(static_cast<double>(squaredDistanceOf(mapEntry(*mapIndexOf(clamped)))));
  const double bound = std::max(outside, fromClamped - outside);
  const auto shell = static_cast<std::size_t>(bound * bound);
  return shell < shellStart_.size() ? shellStart_[shell] : offsets_.size();
}

std::uint16_t NearbyLabels::indexAtOffset(const VoxelIndex& v, bool inner, const Offset& o) const {
  if (inner) {
    return atlas_->indexAtLinear(
        static_cast<std::size_t>(static_cast<std::int64_t>(atlas_->grid().linearOf(v)) + o.linear));
  }
  return atlas_->indexAt({v[0] + o.di, v[1] + o.dj, v[2] + o.dk});
}

std::optional<LabelDistance> NearbyLabels::nearest(const VoxelIndex& voxel, double radiusMm) const {
  const double limit = radiusMm * radiusMm + kSlack;
  if (const std::optional<std::size_t> at = mapIndexOf(voxel)) {
    const NearestEntry entry = mapEntry(*at);
    const auto squared = static_cast<double>(squaredDistanceOf(entry));
    if (squared > limit) {
      return std::nullopt;
    }
    return LabelDistance{labelIndexOf(entry), std::sqrt(squared)};
  }
  const bool inner = awayFromEdges(voxel);
  std::optional<LabelDistance> best;
  double bestSquared = 0;
  for (std::size_t n = firstUsefulOffset(voxel); n < offsets_.size(); ++n) {
    const Offset& o = offsets_[n];
    if (o.squaredMm > limit || (best && o.squaredMm > bestSquared + kSlack)) {
      break;
    }
    const std::uint16_t index = indexAtOffset(voxel, inner, o);
    if (index == 0) {
      continue;
    }
    // Indices follow label values, so the lowest index is the lowest value.
    if (!best || index < best->index) {
      best = LabelDistance{index, std::sqrt(o.squaredMm)};
      bestSquared = o.squaredMm;
    }
  }
  return best;
}

std::vector<LabelDistance> NearbyLabels::within(const VoxelIndex& voxel, double radiusMm) const {
  const double limit = radiusMm * radiusMm + kSlack;
  const bool inner = awayFromEdges(voxel);
  std::vector<LabelDistance> found;
  for (std::size_t n = firstUsefulOffset(voxel); n < offsets_.size(); ++n) {
    const Offset& o = offsets_[n];
    if (o.squaredMm > limit) {
      break;
    }
    const std::uint16_t index = indexAtOffset(voxel, inner, o);
    if (index != 0 && std::none_of(found.begin(), found.end(),
                                   [index](const LabelDistance& f) { return f.index == index; })) {
      found.push_back({index, std::sqrt(o.squaredMm)});
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const LabelDistance& x, const LabelDistance& y) {
    return x.distanceMm + kSlack < y.distanceMm ||
           (std::abs(x.distanceMm - y.distanceMm) <= kSlack && x.index < y.index);
  });
  return found;
}

}  // namespace atlas
