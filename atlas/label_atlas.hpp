// One keyed label atlas in memory: its voxels as compact label indices, its names, and where
// it came from. Read through its own sform, so grids of any size and voxel size sit side by side.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "atlas/catalogue.hpp"
#include "imaging/volume.hpp"

namespace atlas {

using VoxelIndex = imaging::Index3;

struct AtlasLabel {
  std::int64_t value = 0;
  std::string name;
};

struct AtlasProvenance {
  std::string path;    // the label volume as opened
  std::string sha256;  // of the file's bytes, as sha256sum prints it
  std::array<std::int64_t, 3> grid{};
  imaging::Vec3 voxelSizeMm{};
  std::size_t labels = 0;  // named label values
};

class LabelAtlas {
 public:
  // `indices` holds compact label indices: 0 where the voxel has no named label, else 1 + the
  // position of its label in `labels`, which is sorted by value.
  LabelAtlas(const AtlasEntry& entry, imaging::Volume<std::uint16_t> indices,
             std::vector<AtlasLabel> labels, AtlasProvenance provenance);

  const AtlasEntry& entry() const { return *entry_; }
  const AtlasProvenance& provenance() const { return provenance_; }
  // In MNI space; voxels are found with grid().nearestVoxel, which rounds halves up as orvod
  // rounds.
  const imaging::Volume<std::uint16_t>& indices() const { return indices_; }
  const imaging::Grid& grid() const { return indices_.grid(); }

  // The label of a nonzero index.
  const AtlasLabel& label(std::uint16_t index) const { return labels_[index - 1U]; }

 private:
  const AtlasEntry* entry_;
  imaging::Volume<std::uint16_t> indices_;
  std::vector<AtlasLabel> labels_;
  AtlasProvenance provenance_;
};

// Loads one catalogue atlas from a data directory: the volume with any integer voxel type,
// its names, the JHU white-matter header correction orvod applies, and its provenance. Throws
// std::runtime_error with a one-line reason that names the file.
LabelAtlas loadLabelAtlas(const AtlasEntry& entry, const std::string& dataDirectory);

}  // namespace atlas
