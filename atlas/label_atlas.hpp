// One keyed label atlas in memory: its voxels as compact label indices, its names, and where
// it came from. Read through its own sform, so grids of any size and voxel size sit side by side.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "atlas/catalogue.hpp"
#include "imaging/transform.hpp"

namespace atlas {

// Voxel indices along i, j, k; they may lie outside the grid.
using VoxelIndex = std::array<std::int64_t, 3>;

struct AtlasLabel {
  std::int64_t value = 0;
  std::string name;
};

struct AtlasProvenance {
  std::string path;    // the label volume as opened
  std::string sha256;  // of the file's bytes, as sha256sum prints it
  std::array<std::int64_t, 3> grid{};
  Vec3 voxelSizeMm{};
  std::size_t labels = 0;  // named label values
};

class LabelAtlas {
 public:
  // `voxels` holds nx*ny*nz label indices, i fastest: 0 where the voxel has no named label,
  // else 1 + the position of its label in `labels`, which is sorted by value.
  LabelAtlas(const AtlasEntry& entry, std::array<std::int64_t, 3> grid, const Affine& voxelToMni,
             std::vector<std::uint16_t> voxels, std::vector<AtlasLabel> labels,
             AtlasProvenance provenance);

  const AtlasEntry& entry() const { return *entry_; }
  const AtlasProvenance& provenance() const { return provenance_; }
  const std::array<std::int64_t, 3>& grid() const { return grid_; }
  const Affine& voxelToMni() const { return voxelToMni_; }

  // The voxel whose centre is nearest to an MNI point: each index rounded half up, as orvod
  // rounds. Points too far off to compute with land on an index far outside the grid.
  VoxelIndex voxelAt(const Vec3& mni) const;
  Vec3 centreOf(const VoxelIndex& voxel) const { return applyAffine(voxelToMni_, toVec(voxel)); }
  bool contains(const VoxelIndex& voxel) const;

  // The compact label index at a voxel; 0 outside the grid or where no named label lies.
  std::uint16_t indexAt(const VoxelIndex& voxel) const;
  std::uint16_t indexAtLinear(std::size_t linear) const { return voxels_[linear]; }
  std::size_t linearOf(const VoxelIndex& voxel) const;

  // The label of a nonzero index.
  const AtlasLabel& label(std::uint16_t index) const { return labels_[index - 1U]; }

 private:
  static Vec3 toVec(const VoxelIndex& v);

  const AtlasEntry* entry_;
  std::array<std::int64_t, 3> grid_;
  Affine voxelToMni_, mniToVoxel_;
  std::vector<std::uint16_t> voxels_;
  std::vector<AtlasLabel> labels_;
  AtlasProvenance provenance_;
};

// Loads one catalogue atlas from a data directory: the volume with any integer voxel type,
// its names, the JHU white-matter header correction orvod applies, and its provenance. Throws
// std::runtime_error with a one-line reason that names the file.
LabelAtlas loadLabelAtlas(const AtlasEntry& entry, const std::string& dataDirectory);

}  // namespace atlas
