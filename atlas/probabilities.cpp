// Sparse probabilities of a probabilistic atlas, grouped by voxel once every region is in.
#include "atlas/probabilities.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace atlas {
namespace {

// Most voxels hold a few regions, in ascending order: for them an insertion sort that moves
// only past strictly lower values keeps ties in that order without the buffer a stable sort
// allocates; a voxel of many regions (dense atlases) takes the stable sort.
void rankHighestFirst(RegionProbability* begin, RegionProbability* end) {
  constexpr std::ptrdiff_t kFew = 16;
  if (end - begin > kFew) {
    std::stable_sort(begin, end, [](const RegionProbability& a, const RegionProbability& b) {
      return a.centiPercent > b.centiPercent;
    });
    return;
  }
  for (RegionProbability* next = begin; next < end; ++next) {
    const RegionProbability moving = *next;
    RegionProbability* at = next;
    for (; at > begin && (at - 1)->centiPercent < moving.centiPercent; --at) {
      *at = *(at - 1);
    }
    *at = moving;
  }
}

// Region positions are kept in 16 bits, and voxel numbers and entry offsets in 32: checked
// before anything is allocated.
std::size_t checkedVoxels(std::int64_t voxels, std::size_t regions) {
  if (regions > std::numeric_limits<std::uint16_t>::max() ||
      voxels > std::numeric_limits<std::uint32_t>::max() || voxels < 0) {
    throw std::invalid_argument("a probabilistic atlas too large to hold");
  }
  return static_cast<std::size_t>(voxels);
}

}  // namespace

SparseProbabilities::SparseProbabilities(std::int64_t voxels, std::size_t regions)
    : regions_(regions),
      starts_(checkedVoxels(voxels, regions) + 1, 0),
      mass_(regions, 0.0),
      startView_(starts_) {}

SparseProbabilities::SparseProbabilities(std::size_t regions, std::span<const std::uint32_t> starts,
                                         std::span<const RegionProbability> entries,
                                         std::vector<double> mass,
                                         std::shared_ptr<const void> owner)
    : regions_(regions),
      mass_(std::move(mass)),
      startView_(starts),
      entryView_(entries),
      owner_(std::move(owner)) {
  checkedVoxels(static_cast<std::int64_t>(starts.size()) - 1, regions);
  const bool ordered = !starts.empty() && starts.front() == 0 && starts.back() == entries.size() &&
                       std::is_sorted(starts.begin(), starts.end());
  const bool named = std::all_of(entries.begin(), entries.end(),
                                 [regions](RegionProbability e) { return e.region < regions; });
  if (!ordered || !named || mass_.size() != regions) {
    throw std::invalid_argument("probabilities that do not fit together");
  }
}

void SparseProbabilities::startVolume(std::size_t voxels) {
  if (volumeEnds_.size() == regions_ || voxels + 1 != starts_.size()) {
    throw std::invalid_argument("a volume that does not fit the probabilistic atlas");
  }
}

void SparseProbabilities::keep(std::size_t voxel, float value) {
  if (pending_.size() == std::numeric_limits<std::uint32_t>::max()) {
    throw std::invalid_argument("a probabilistic atlas with too many probabilities to hold");
  }
  pending_.push_back({static_cast<std::uint32_t>(voxel), value});
  largest_ = std::max(largest_, value);
}

void SparseProbabilities::finish() {
  const double toCentiPercent = largest_ > 1 ? 100.0 : 10000.0;
  const std::size_t voxelCount = starts_.size() - 1;
  // starts_[v] first counts voxel v's values, then marks the end of its entries, then, as they
  // are placed from the back, their start.
  for (const Pending& p : pending_) {
    ++starts_[p.voxel];
  }
  for (std::size_t i = 1; i < voxelCount; ++i) {
    starts_[i] += starts_[i - 1];
  }
  starts_[voxelCount] = static_cast<std::uint32_t>(pending_.size());
  entries_.resize(pending_.size());
  // Placed from the last region back, so each voxel's regions end up in ascending order before
  // they are ranked, with no second array of positions.
  for (std::size_t region = volumeEnds_.size(); region-- > 0;) {
    const std::size_t begin = region == 0 ? 0 : volumeEnds_[region - 1];
    for (std::size_t i = volumeEnds_[region]; i-- > begin;) {
      const Pending& p = pending_[i];
      const double centi = std::min(std::round(p.value * toCentiPercent), 65535.0);
      mass_[region] += centi / 100.0;
      entries_[--starts_[p.voxel]] = {static_cast<std::uint16_t>(region),
                                      static_cast<std::uint16_t>(centi)};
    }
  }
  pending_ = {};
  for (std::size_t voxel = 0; voxel < voxelCount; ++voxel) {
    rankHighestFirst(entries_.data() + starts_[voxel], entries_.data() + starts_[voxel + 1]);
  }
  startView_ = starts_;
  entryView_ = entries_;
}

std::span<const RegionProbability> SparseProbabilities::at(std::int64_t voxel) const {
  if (voxel < 0 || voxel >= voxels()) {
    return {};
  }
  const auto v = static_cast<std::size_t>(voxel);
  return entryView_.subspan(startView_[v], startView_[v + 1] - startView_[v]);
}

std::vector<std::uint16_t> SparseProbabilities::summaryLabels() const {
  std::vector<std::uint16_t> labels(static_cast<std::size_t>(voxels()), 0);
  for (std::size_t voxel = 0; voxel < labels.size(); ++voxel) {
    if (startView_[voxel + 1] > startView_[voxel]) {
      labels[voxel] = static_cast<std::uint16_t>(entryView_[startView_[voxel]].region + 1U);
    }
  }
  return labels;
}

}  // namespace atlas
