// A probabilistic atlas read from its files: every region's probabilities, kept sparse, and the
// summary labelling that label, nearest and within answer from.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "atlas/atlas_sources.hpp"
#include "atlas/probabilities.hpp"
#include "imaging/volume.hpp"

namespace atlas {

struct ProbabilisticAtlas {
  // In volume order: volume v of the image is regions[v], the region at position v.
  Regions regions;
  std::shared_ptr<const SparseProbabilities> probabilities;
  // On the image's 3D grid: 0 where no region, else 1 + a position in `regions`. The summary
  // image where the atlas has one, else the region of highest probability above 0 (a tie goes
  // to the lower position).
  imaging::Volume<std::uint16_t> summary;

  const imaging::Grid& grid() const { return summary.grid(); }
};

// Reads the 4D image of `source` one volume at a time, keeping only probabilities above 0, and
// its summary image if it names one (its values are indices, or indices + 1 where
// source.summaryIsIndexPlusOne). An FSL atlas's regions are its volumes by index; any other's
// are in the table's order. Throws std::runtime_error with one line naming the file: a volume
// count that is not the number of regions, an FSL index that is not a volume, a summary image
// on another grid or with a value that names no region, and every refusal of the NIfTI reader.
ProbabilisticAtlas loadProbabilisticAtlas(const AtlasSource& source);

// The regions above 0 at the voxel whose centre is nearest to `world`, highest first, ties by
// lower position; none outside the grid.
std::span<const RegionProbability> probabilitiesAt(const ProbabilisticAtlas& atlas,
                                                   const imaging::Vec3& world);

}  // namespace atlas
