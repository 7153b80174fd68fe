// One keyed label atlas in memory: its voxels as compact label indices, its names, and where
// it came from. Read through its own sform, so grids of any size and voxel size sit side by side.
#include "atlas/label_atlas.hpp"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "atlas/catalogue.hpp"
#include "atlas/label_names.hpp"
#include "imaging/nifti_header.hpp"
#include "atlas/provenance.hpp"

namespace atlas {
namespace {

using nifti::refuse;

// Far beyond any atlas grid, yet small enough that index arithmetic cannot overflow.
constexpr double kFarIndex = 1e12;
// A label volume larger than this is not an atlas: refused before its voxels are read.
constexpr std::int64_t kMaxVoxels = std::int64_t{1} << 26;
constexpr std::size_t kMaxLabelText = std::size_t{1} << 20;
constexpr std::size_t kMaxNamesFile = std::size_t{16} << 20;
constexpr std::size_t kMaxLabels = std::numeric_limits<std::uint16_t>::max();

std::string joinPath(const std::string& directory, std::string_view file) {
  return (std::filesystem::path(directory) / file).string();
}

nifti::ImagePtr readHeader(const std::string& path) {
  if (!std::filesystem::exists(path)) {
    refuse(path, "no such file");
  }
  nifti_set_debug_level(0);
  nifti::ImagePtr image(nifti_image_read(path.c_str(), 0));
  if (!image) {
    refuse(path, "not a readable NIfTI file");
  }
  nifti::checkSingleUnscaledVolume(*image, path);
  if (image->nx < 1 || image->ny < 1 || image->nz < 1 ||
      image->nx > kMaxVoxels / image->ny / image->nz) {
    refuse(path, "the grid is empty or larger than any atlas");
  }
  return image;
}

// The text some atlases carry between the header and the voxels, after the four bytes that
// say whether extensions follow.
std::string embeddedText(const std::string& path, const nifti_image& image) {
  const std::int64_t headerSize = image.nifti_type == NIFTI_FTYPE_NIFTI2_1 ? 540 : 348;
  const std::int64_t textEnd = image.iname_offset;
  if (textEnd <= headerSize + 4 || static_cast<std::size_t>(textEnd) > kMaxLabelText) {
    refuse(path, "no label text between the header and the voxels");
  }
  gzFile file = gzopen(path.c_str(), "rb");
  if (file == nullptr) {
    refuse(path, "cannot open the file");
  }
  std::string bytes(static_cast<std::size_t>(textEnd), '\0');
  const int read = gzread(file, bytes.data(), static_cast<unsigned>(bytes.size()));
  gzclose(file);
  if (read != textEnd) {
    refuse(path, "the file ends inside its label text");
  }
  return bytes.substr(static_cast<std::size_t>(headerSize + 4));
}

LabelNames namesOf(const AtlasEntry& entry, const std::string& directory, const std::string& path,
                   const nifti_image& image) {
  if (entry.names == NameSource::kEmbeddedText) {
    return parseLabelNames(embeddedText(path, image), NameColumn::kRestOfLine, path);
  }
  const std::string namesPath = joinPath(directory, entry.namesFile);
  return parseLabelNames(readSmallFile(namesPath, kMaxNamesFile), NameColumn::kWord, namesPath);
}

std::uint16_t indexOfValue(std::int64_t value, const std::vector<AtlasLabel>& labels) {
  const auto it =
      std::lower_bound(labels.begin(), labels.end(), value,
                       [](const AtlasLabel& label, std::int64_t v) { return label.value < v; });
  return it != labels.end() && it->value == value
             ? static_cast<std::uint16_t>(it - labels.begin() + 1)
             : 0;
}

// Label values become compact indices: 1 + the label's position in the sorted names, 0 for
// values without a name, the background 0 among them. Types of up to 16 bits go through a
// table of every value they can hold; wider ones remember the last lookup, as labels come in
// runs.
template <typename T>
std::vector<std::uint16_t> compactIndices(const T* voxels, std::size_t count,
                                          const std::vector<AtlasLabel>& labels) {
  std::vector<std::uint16_t> indices(count);
  if constexpr (sizeof(T) <= 2) {
    constexpr auto kLowest = static_cast<std::int64_t>(std::numeric_limits<T>::min());
    std::vector<std::uint16_t> table(std::size_t{1} << (8 * sizeof(T)));
    for (std::size_t i = 0; i < table.size(); ++i) {
      table[i] = indexOfValue(kLowest + static_cast<std::int64_t>(i), labels);
    }
    for (std::size_t i = 0; i < count; ++i) {
      indices[i] = table[static_cast<std::size_t>(static_cast<std::int64_t>(voxels[i]) - kLowest)];
    }
  } else {
    std::int64_t lastValue = 0;
    std::uint16_t lastIndex = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const auto value = static_cast<std::int64_t>(voxels[i]);
      if (value != lastValue) {
        lastValue = value;
        lastIndex = indexOfValue(value, labels);
      }
      indices[i] = lastIndex;
    }
  }
  return indices;
}

std::vector<std::uint16_t> readIndices(const nifti_image& image, const std::string& path,
                                       const std::vector<AtlasLabel>& labels) {
  const auto count = static_cast<std::size_t>(image.nx * image.ny * image.nz);
  const void* data = image.data;
  switch (image.datatype) {
    case DT_UINT8:
      return compactIndices(static_cast<const std::uint8_t*>(data), count, labels);
    case DT_INT8:
      return compactIndices(static_cast<const std::int8_t*>(data), count, labels);
    case DT_UINT16:
      return compactIndices(static_cast<const std::uint16_t*>(data), count, labels);
    case DT_INT16:
      return compactIndices(static_cast<const std::int16_t*>(data), count, labels);
    case DT_UINT32:
      return compactIndices(static_cast<const std::uint32_t*>(data), count, labels);
    case DT_INT32:
      return compactIndices(static_cast<const std::int32_t*>(data), count, labels);
    case DT_INT64:
      return compactIndices(static_cast<const std::int64_t*>(data), count, labels);
    default:
      refuse(path, std::string("voxels are ") + nifti_datatype_string(image.datatype) +
                       ", expected integer labels");
  }
}

Vec3 columnLengths(const Affine& a) {
  Vec3 lengths{};
  for (int col = 0; col < 3; ++col) {
    lengths[col] = std::hypot(a[0][col], a[1][col], a[2][col]);
  }
  return lengths;
}

}  // namespace

LabelAtlas::LabelAtlas(const AtlasEntry& entry, std::array<std::int64_t, 3> grid,
                       const Affine& voxelToMni, std::vector<std::uint16_t> voxels,
                       std::vector<AtlasLabel> labels, AtlasProvenance provenance)
    : entry_(&entry),
      grid_(grid),
      voxelToMni_(voxelToMni),
      mniToVoxel_(invert(voxelToMni)),
      voxels_(std::move(voxels)),
      labels_(std::move(labels)),
      provenance_(std::move(provenance)) {}

Vec3 LabelAtlas::toVec(const VoxelIndex& v) {
  return {static_cast<double>(v[0]), static_cast<double>(v[1]), static_cast<double>(v[2])};
}

VoxelIndex LabelAtlas::voxelAt(const Vec3& mni) const {
  const Vec3 rounded = roundHalfUp(applyAffine(mniToVoxel_, mni));
  VoxelIndex voxel{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    // NaN fails both comparisons and lands far away too.
    const bool near = rounded[axis] > -kFarIndex && rounded[axis] < kFarIndex;
    voxel[axis] = static_cast<std::int64_t>(near ? rounded[axis] : -kFarIndex);
  }
  return voxel;
}

bool LabelAtlas::contains(const VoxelIndex& v) const {
  return v[0] >= 0 && v[0] < grid_[0] && v[1] >= 0 && v[1] < grid_[1] && v[2] >= 0 &&
         v[2] < grid_[2];
}

std::size_t LabelAtlas::linearOf(const VoxelIndex& v) const {
  return static_cast<std::size_t>(v[0] + grid_[0] * (v[1] + grid_[1] * v[2]));
}

std::uint16_t LabelAtlas::indexAt(const VoxelIndex& voxel) const {
  return contains(voxel) ? voxels_[linearOf(voxel)] : 0;
}

LabelAtlas loadLabelAtlas(const AtlasEntry& entry, const std::string& dataDirectory) {
  const std::string path = joinPath(dataDirectory, entry.file);
  const nifti::ImagePtr image = readHeader(path);
  const LabelNames names = namesOf(entry, dataDirectory, path, *image);
  if (names.size() > kMaxLabels) {
    refuse(path, "more than 65535 named labels");
  }
  std::vector<AtlasLabel> labels;
  labels.reserve(names.size());
  for (const auto& [value, name] : names) {
    labels.push_back({value, name});
  }
  Affine voxelToMni = nifti::voxelToWorldOf(*image, path);
  if (entry.whiteMatterHeaderFix) {
    correctWhiteMatterSform(voxelToMni);
  }
  if (nifti_image_load(image.get()) != 0 || image->data == nullptr) {
    refuse(path, "the voxel data cannot be read");
  }
  std::vector<std::uint16_t> voxels = readIndices(*image, path, labels);
  nifti_image_unload(image.get());
  AtlasProvenance provenance{path,
                             sha256OfFile(path),
                             {image->nx, image->ny, image->nz},
                             columnLengths(voxelToMni),
                             labels.size()};
  const std::array<std::int64_t, 3> grid{image->nx, image->ny, image->nz};
  return LabelAtlas(entry, grid, voxelToMni, std::move(voxels), std::move(labels),
                    std::move(provenance));
}

}  // namespace atlas
