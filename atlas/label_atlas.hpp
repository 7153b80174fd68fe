// One keyed label atlas in memory: its voxels as compact label indices, its names, and where
// it came from. Read through its own sform, so grids of any size and voxel size sit side by side.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "atlas/atlas_description.hpp"
#include "atlas/catalogue.hpp"
#include "atlas/label_names.hpp"
#include "atlas/probabilities.hpp"
#include "cache/block_checksums.hpp"
#include "imaging/nifti_read.hpp"
#include "imaging/volume.hpp"

namespace atlas {

using VoxelIndex = imaging::Index3;

// A label volume larger than this is not an atlas: refused before its voxels are read.
inline constexpr std::int64_t kMaxAtlasVoxels = std::int64_t{1} << 26;

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
  // position of its label in `labels`, which is sorted by value. A probabilistic atlas also
  // has its regions in volume order and its probabilities on the same grid; `indices` is then
  // its summary labelling.
  LabelAtlas(AtlasDescription description, imaging::Volume<std::uint16_t> indices,
             std::vector<AtlasLabel> labels, AtlasProvenance provenance, Regions regions = {},
             std::shared_ptr<const SparseProbabilities> probabilities = nullptr);
  // The same with the indices held elsewhere, such as in a compiled file that `owner` keeps
  // mapped; `values` fill `grid`. With `verifier`, each block of the values is verified the first
  // time it is read, and reading a corrupt one throws cache::UntrustedFile.
  struct SharedIndices {
    imaging::Grid grid;
    std::span<const std::uint16_t> values;
    std::shared_ptr<const void> owner;
    std::shared_ptr<const cache::BlockVerifiedBytes> verifier;
  };
  LabelAtlas(AtlasDescription description, SharedIndices indices, std::vector<AtlasLabel> labels,
             AtlasProvenance provenance, Regions regions,
             std::shared_ptr<const SparseProbabilities> probabilities);

  const AtlasDescription& description() const { return description_; }
  const AtlasProvenance& provenance() const { return provenance_; }
  // In MNI space; voxels are found with grid().nearestVoxel, which rounds halves up as orvod
  // rounds.
  const imaging::Grid& grid() const { return grid_; }
  // Every voxel's compact index, i fastest.
  std::span<const std::uint16_t> indices() const {
    if (verifier_) {
      verifier_->verifyAll();
    }
    return indices_;
  }
  // The compact index of a voxel by its place in indices().
  std::uint16_t indexAtLinear(std::size_t linear) const {
    if (verifier_) {
      verifier_->verify(linear * sizeof(std::uint16_t), sizeof(std::uint16_t));
    }
    return indices_[linear];
  }
  // The compact index of a voxel; 0 outside the grid.
  std::uint16_t indexAt(const VoxelIndex& voxel) const {
    return grid_.contains(voxel) ? indexAtLinear(grid_.linearOf(voxel)) : 0;
  }
  // The compact index of the voxel whose centre is nearest to an MNI point.
  std::uint16_t indexAtWorld(const imaging::Vec3& mni) const {
    return indexAt(grid_.nearestVoxel(mni));
  }

  // The label of a nonzero index.
  const AtlasLabel& label(std::uint16_t index) const { return labels_[index - 1U]; }

  // Null for a label atlas.
  const SparseProbabilities* probabilities() const { return probabilities_.get(); }
  // A probabilistic atlas's regions in volume order; empty for a label atlas.
  const Regions& regions() const { return regions_; }
  // The compact index of a region (a volume position) of a probabilistic atlas.
  std::uint16_t indexOfRegion(std::size_t region) const { return regionIndices_[region]; }

 private:
  AtlasDescription description_;
  imaging::Grid grid_;
  std::shared_ptr<const void> indexOwner_;
  std::span<const std::uint16_t> indices_;
  std::shared_ptr<const cache::BlockVerifiedBytes> verifier_;
  std::vector<AtlasLabel> labels_;
  AtlasProvenance provenance_;
  Regions regions_;
  std::vector<std::uint16_t> regionIndices_;
  std::shared_ptr<const SparseProbabilities> probabilities_;
};

// The compact index of a label value in labels sorted by value, or 0 when it has no name.
std::uint16_t indexOfValue(std::int64_t value, const std::vector<AtlasLabel>& labels);

// The label values of a table as labels sorted by value. Throws std::runtime_error naming
// `path` when there are more than 65535.
std::vector<AtlasLabel> labelsOf(const LabelNames& names, const std::string& path);

// The voxels of a label image as compact indices into `labels`. With no labels, the image's
// distinct nonzero values become its labels, each named by its value.
imaging::Volume<std::uint16_t> readLabelIndices(imaging::NiftiReader& reader,
                                                std::vector<AtlasLabel>& labels,
                                                const std::string& path);

// A file's SHA-256 in lower-case hex: the loaders hash each file, the cache remembers digests.
using DigestOfFile = std::function<std::string(const std::string& path)>;

// The files a catalogue atlas is read from, the label volume first.
std::vector<std::string> entryFiles(const AtlasEntry& entry, const std::string& dataDirectory);
AtlasDescription describeEntry(const AtlasEntry& entry, const std::string& dataDirectory,
                               const DigestOfFile& digestOf);

// Loads one catalogue atlas from a data directory: the volume with any integer voxel type,
// its names, the JHU white-matter header correction orvod applies, and its provenance. Throws
// std::runtime_error with a one-line reason that names the file.
LabelAtlas loadLabelAtlas(const AtlasEntry& entry, const std::string& dataDirectory);

}  // namespace atlas
