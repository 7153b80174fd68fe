// The probabilities of a probabilistic atlas, kept sparse: for each voxel only the regions with
// a probability above 0 there. Built one volume (one region) at a time, so the 4D image is
// never held whole.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <type_traits>
#include <vector>

namespace atlas {

struct RegionProbability {
  std::uint16_t region = 0;        // the region's position among the atlas's volumes, from 0
  std::uint16_t centiPercent = 0;  // hundredths of a percent: finer than any output prints

  double percent() const { return centiPercent / 100.0; }
};

class SparseProbabilities {
 public:
  // The grid's voxel count, and how many volumes (regions) will be added.
  SparseProbabilities(std::int64_t voxels, std::size_t regions);
  // A finished set held elsewhere, such as in a compiled file that `owner` keeps mapped. Throws
  // std::invalid_argument when the offsets do not run in order from 0 to the entries' end, an
  // entry names a region beyond `regions`, or `mass` is not one value per region.
  SparseProbabilities(std::size_t regions, std::span<const std::uint32_t> starts,
                      std::span<const RegionProbability> entries, std::vector<double> mass,
                      std::shared_ptr<const void> owner);
  // The views below point into the object's own arrays, which a copy would not share; a move
  // takes the arrays along.
  SparseProbabilities(const SparseProbabilities&) = delete;
  SparseProbabilities& operator=(const SparseProbabilities&) = delete;
  SparseProbabilities(SparseProbabilities&&) = default;
  SparseProbabilities& operator=(SparseProbabilities&&) = default;

  // The next region's volume, in volume order, in its stored type so that no wider copy of a
  // volume is made. Whether values are fractions or percentages is decided once every volume
  // is in.
  template <typename T>
  void addVolume(std::span<const T> values) {
    startVolume(values.size());
    std::size_t voxel = 0;
    if constexpr (std::is_integral_v<T>) {
      // Most of an atlas is zero: it is passed over a word at a time.
      constexpr std::size_t kPerWord = sizeof(std::uint64_t) / sizeof(T);
      while (voxel + kPerWord <= values.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, values.data() + voxel, sizeof word);
        if (word == 0) {
          voxel += kPerWord;
          continue;
        }
        for (const std::size_t end = voxel + kPerWord; voxel < end; ++voxel) {
          keepAbove0(voxel, values[voxel]);
        }
      }
    }
    for (; voxel < values.size(); ++voxel) {
      keepAbove0(voxel, values[voxel]);
    }
    volumeEnds_.push_back(pending_.size());
  }

  // Orders each voxel's regions and scales to percent: where the largest value of the atlas is
  // above 1 the values are percentages already (FSL stores 0-100), otherwise fractions
  // (TemplateFlow stores 0-1). Call once, after the last volume.
  void finish();

  std::int64_t voxels() const { return static_cast<std::int64_t>(startView_.size()) - 1; }
  std::size_t regions() const { return regions_; }

  // The regions with a probability above 0 at a voxel, highest first, ties by lower region.
  std::span<const RegionProbability> at(std::int64_t voxel) const;

  // The summary labelling: at each voxel 1 + the region of highest probability (ties to the
  // lower region), 0 where no region is above 0.
  std::vector<std::uint16_t> summaryLabels() const;

  // Each region's probability summed over the whole atlas, in percent-voxels.
  const std::vector<double>& regionMass() const { return mass_; }

  // The finished arrays, as a compiled file keeps them: each voxel's first entry and one past
  // the last voxel's, and the entries.
  std::span<const std::uint32_t> starts() const { return startView_; }
  std::span<const RegionProbability> entries() const { return entryView_; }

 private:
  void startVolume(std::size_t voxels);
  template <typename T>
  void keepAbove0(std::size_t voxel, T value) {
    // Not NaN, and above 0: anything else is no probability.
    if (value > 0) {
      keep(voxel, static_cast<float>(value));
    }
  }
  void keep(std::size_t voxel, float value);

  std::size_t regions_;
  float largest_ = 0;
  // Values appended volume by volume with their voxel, each volume ending at its volumeEnds_,
  // then grouped by voxel.
  struct Pending {
    std::uint32_t voxel;
    float value;
  };
  std::vector<Pending> pending_;
  std::vector<std::size_t> volumeEnds_;
  std::vector<RegionProbability> entries_;
  std::vector<std::uint32_t> starts_;  // voxels + 1 offsets into entries_, after finish()
  std::vector<double> mass_;
  // What the queries read: the arrays above once finished, or another owner's.
  std::span<const std::uint32_t> startView_;
  std::span<const RegionProbability> entryView_;
  std::shared_ptr<const void> owner_;
};

}  // namespace atlas
