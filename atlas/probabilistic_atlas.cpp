// Loads a probabilistic atlas volume by volume, so that its 4D image is never held whole.
#include "atlas/probabilistic_atlas.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "imaging/nifti_read.hpp"

namespace atlas {
namespace {

// FSL numbers a probabilistic atlas's regions by their volumes, so the indices must be exactly
// the volumes; other forms give the volumes in their table's order.
Regions regionsInVolumeOrder(const AtlasSource& source, std::int64_t volumes) {
  Regions regions = source.regions;
  if (volumes > std::numeric_limits<std::uint16_t>::max()) {
    imaging::refuse(source.image, std::to_string(volumes) + " volumes, more regions than held");
  }
  if (static_cast<std::int64_t>(regions.size()) != volumes) {
    imaging::refuse(source.image, std::to_string(volumes) + " volumes for " +
                                      std::to_string(regions.size()) + " regions");
  }
  if (source.form != AtlasForm::kFsl) {
    return regions;
  }
  std::sort(regions.begin(), regions.end(),
            [](const Region& a, const Region& b) { return a.index < b.index; });
  for (std::size_t volume = 0; volume < regions.size(); ++volume) {
    if (regions[volume].index != static_cast<std::int64_t>(volume)) {
      imaging::refuse(source.description, "region index " + std::to_string(regions[volume].index) +
                                              " is not a volume of its image (0 to " +
                                              std::to_string(volumes - 1) + ")");
    }
  }
  return regions;
}

bool sameGrid(const imaging::Grid& a, const imaging::Grid& b) {
  constexpr double kToleranceMm = 0.01;
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t col = 0; col < 4; ++col) {
      if (!(std::abs(a.voxelToWorld()[row][col] - b.voxelToWorld()[row][col]) <= kToleranceMm)) {
        return false;
      }
    }
  }
  return a.size() == b.size();
}

// Each region's index with its position, sorted by index, to turn summary values into positions.
std::vector<std::pair<std::int64_t, std::uint16_t>> positionsByIndex(const Regions& regions) {
  std::vector<std::pair<std::int64_t, std::uint16_t>> positions;
  for (std::size_t position = 0; position < regions.size(); ++position) {
    positions.emplace_back(regions[position].index, static_cast<std::uint16_t>(position));
  }
  std::sort(positions.begin(), positions.end());
  return positions;
}

imaging::Volume<std::uint16_t> readSummary(const AtlasSource& source, const Regions& regions,
                                           const imaging::Grid& grid) {
  imaging::NiftiReader reader(source.summary, {.labels = true});
  if (!sameGrid(reader.grid(), grid)) {
    imaging::refuse(source.summary, "its grid is not that of " + source.image);
  }
  const auto positions = positionsByIndex(regions);
  const std::int64_t offset = source.summaryIsIndexPlusOne ? 1 : 0;
  std::vector<std::uint16_t> summary(static_cast<std::size_t>(grid.voxelCount()), 0);
  reader.readStored([&](const auto& values) {
    for (std::size_t voxel = 0; voxel < summary.size(); ++voxel) {
      const auto value = static_cast<std::int64_t>(values[voxel]);
      if (value == 0) {
        continue;
      }
      const std::int64_t index = value - offset;
      const auto found = std::lower_bound(positions.begin(), positions.end(),
                                          std::pair<std::int64_t, std::uint16_t>{index, 0});
      if (found == positions.end() || found->first != index) {
        imaging::refuse(source.summary, "the value " + std::to_string(value) + " names no region");
      }
      summary[voxel] = static_cast<std::uint16_t>(found->second + 1U);
    }
  });
  return imaging::Volume<std::uint16_t>(grid, std::move(summary));
}

}  // namespace

ProbabilisticAtlas loadProbabilisticAtlas(const AtlasSource& source) {
  imaging::NiftiReader reader(source.image, {.volume = imaging::kAllVolumes});
  ProbabilisticAtlas atlas;
  atlas.regions = regionsInVolumeOrder(source, reader.header().volumes);
  const imaging::Grid grid(reader.grid().size(), reader.grid().voxelToWorld(), 1,
                           reader.grid().transform());
  auto probabilities =
      std::make_shared<SparseProbabilities>(grid.voxelCount(), atlas.regions.size());
  reader.readVolumesAsStored([&](std::int64_t, auto values) { probabilities->addVolume(values); });
  probabilities->finish();
  atlas.summary = source.summary.empty()
                      ? imaging::Volume<std::uint16_t>(grid, probabilities->summaryLabels())
                      : readSummary(source, atlas.regions, grid);
  atlas.probabilities = std::move(probabilities);
  return atlas;
}

std::span<const RegionProbability> probabilitiesAt(const ProbabilisticAtlas& atlas,
                                                   const imaging::Vec3& world) {
  const imaging::Index3 voxel = atlas.grid().nearestVoxel(world);
  if (!atlas.grid().contains(voxel)) {
    return {};
  }
  return atlas.probabilities->at(static_cast<std::int64_t>(atlas.grid().linearOf(voxel)));
}

}  // namespace atlas
