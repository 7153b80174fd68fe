// Sparse probabilities of a probabilistic atlas, grouped by voxel once every region is in.
#include "atlas/probabilities.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace atlas {

SparseProbabilities::SparseProbabilities(std::int64_t voxels, std::size_t regions)
    : regions_(regions), starts_(static_cast<std::size_t>(voxels) + 1, 0), mass_(regions, 0.0) {
  // Region positions are kept in 16 bits and voxel numbers in 32.
  if (regions > std::numeric_limits<std::uint16_t>::max() ||
      voxels > std::numeric_limits<std::uint32_t>::max() || voxels < 0) {
    throw std::invalid_argument("a probabilistic atlas too large to hold");
  }
}

void SparseProbabilities::startVolume(std::size_t voxels) {
  if (added_ == regions_ || voxels + 1 != starts_.size()) {
    throw std::invalid_argument("a volume that does not fit the probabilistic atlas");
  }
  ++added_;
}

void SparseProbabilities::keep(std::size_t voxel, float value) {
  pending_.push_back({static_cast<std::uint32_t>(voxel), static_cast<std::uint16_t>(added_ - 1),
                      value});
  largest_ = std::max(largest_, value);
}

void SparseProbabilities::finish() {
  const double toCentiPercent = largest_ > 1 ? 100.0 : 10000.0;
  for (const Pending& p : pending_) {
    ++starts_[p.voxel + 1];
  }
  for (std::size_t i = 1; i < starts_.size(); ++i) {
    starts_[i] += starts_[i - 1];
  }
  // Entries were added region by region, so a stable counting sort by voxel keeps each voxel's
  // regions in ascending order before they are ranked.
  entries_.resize(pending_.size());
  std::vector<std::uint32_t> next(starts_.begin(), starts_.end() - 1);
  for (const Pending& p : pending_) {
    const double centi = std::min(std::round(p.value * toCentiPercent), 65535.0);
    mass_[p.region] += centi / 100.0;
    entries_[next[p.voxel]++] = {p.region, static_cast<std::uint16_t>(centi)};
  }
  pending_ = {};
  for (std::size_t voxel = 0; voxel + 1 < starts_.size(); ++voxel) {
    std::stable_sort(entries_.begin() + starts_[voxel], entries_.begin() + starts_[voxel + 1],
                     [](const RegionProbability& a, const RegionProbability& b) {
                       return a.centiPercent > b.centiPercent;
                     });
  }
}

std::span<const RegionProbability> SparseProbabilities::at(std::int64_t voxel) const {
  if (voxel < 0 || voxel >= voxels()) {
    return {};
  }
  const auto v = static_cast<std::size_t>(voxel);
  return std::span<const RegionProbability>(entries_).subspan(starts_[v],
                                                               starts_[v + 1] - starts_[v]);
}

std::vector<std::uint16_t> SparseProbabilities::summaryLabels() const {
  std::vector<std::uint16_t> labels(static_cast<std::size_t>(voxels()), 0);
  for (std::size_t voxel = 0; voxel < labels.size(); ++voxel) {
    if (starts_[voxel + 1] > starts_[voxel]) {
      labels[voxel] = static_cast<std::uint16_t>(entries_[starts_[voxel]].region + 1U);
    }
  }
  return labels;
}

}  // namespace atlas
