// One keyed label atlas in memory: its voxels as compact label indices, its names, and where
// it came from. Read through its own sform, so grids of any size and voxel size sit side by side.
#include "atlas/label_atlas.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>

#include "atlas/catalogue.hpp"
#include "atlas/label_names.hpp"
#include "atlas/provenance.hpp"
#include "imaging/nifti_read.hpp"

namespace atlas {
namespace {

using imaging::refuse;

constexpr std::int64_t kMaxVoxels = kMaxAtlasVoxels;
constexpr std::size_t kMaxLabelText = std::size_t{1} << 20;
constexpr std::size_t kMaxNamesFile = std::size_t{16} << 20;
constexpr std::size_t kMaxLabels = std::numeric_limits<std::uint16_t>::max();

std::string joinPath(const std::string& directory, std::string_view file) {
  return (std::filesystem::path(directory) / file).string();
}

LabelNames namesOf(const AtlasEntry& entry, const std::string& directory, const std::string& path,
                   imaging::NiftiReader& reader) {
  if (entry.names == NameSource::kEmbeddedText) {
    // Some atlases carry their names as text between the header and the voxels.
    const std::string text = reader.bytesBeforeVoxels(kMaxLabelText);
    if (text.empty()) {
      refuse(path, "no label text between the header and the voxels");
    }
    return parseLabelNames(text, NameColumn::kRestOfLine, path);
  }
  const std::string namesPath = joinPath(directory, entry.namesFile);
  return parseLabelNames(readSmallFile(namesPath, kMaxNamesFile), NameColumn::kWord, namesPath);
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

// The distinct nonzero values of an image without a table, each named by its value. Values past
// the 65535th are not collected: the image is refused for having too many.
template <typename T>
LabelNames valuesAsNames(const T* voxels, std::size_t count) {
  LabelNames names;
  T last{};
  for (std::size_t i = 0; i < count && names.size() <= kMaxLabels; ++i) {
    if (voxels[i] != T{} && (voxels[i] != last || names.empty())) {
      last = voxels[i];
      const auto value = static_cast<std::int64_t>(last);
      names.try_emplace(value, std::to_string(value));
    }
  }
  return names;
}

LabelAtlas::SharedIndices sharedIndicesOf(imaging::Volume<std::uint16_t> volume) {
  imaging::Grid grid = volume.grid();
  auto values = std::make_shared<const std::vector<std::uint16_t>>(std::move(volume).takeValues());
  return {std::move(grid), *values, values, nullptr};
}

}  // namespace

std::vector<std::string> entryFiles(const AtlasEntry& entry, const std::string& dataDirectory) {
  std::vector<std::string> files{joinPath(dataDirectory, entry.file)};
  if (entry.names == NameSource::kTextFile) {
    files.push_back(joinPath(dataDirectory, entry.namesFile));
  }
  return files;
}

AtlasDescription describeEntry(const AtlasEntry& entry, const std::string& dataDirectory,
                               const DigestOfFile& digestOf) {
  AtlasDescription description{.key = std::string(entry.key),
                               .form = AtlasForm::kDebian,
                               .type = AtlasType::kLabel,
                               .templateSpace = std::string(entry.templateSpace),
                               .citation = std::string(entry.citation),
                               .file = std::string(entry.file),
                               .files = {},
                               .cache = "off",
                               .compiledFile = {}};
  for (const std::string& file : entryFiles(entry, dataDirectory)) {
    description.files.push_back({file, digestOf(file)});
  }
  return description;
}

std::uint16_t indexOfValue(std::int64_t value, const std::vector<AtlasLabel>& labels) {
  const auto it =
      std::lower_bound(labels.begin(), labels.end(), value,
                       [](const AtlasLabel& label, std::int64_t v) { return label.value < v; });
  return it != labels.end() && it->value == value
             ? static_cast<std::uint16_t>(it - labels.begin() + 1)
             : 0;
}

LabelAtlas::LabelAtlas(AtlasDescription description, imaging::Volume<std::uint16_t> indices,
                       std::vector<AtlasLabel> labels, AtlasProvenance provenance, Regions regions,
                       std::shared_ptr<const SparseProbabilities> probabilities)
    : LabelAtlas(std::move(description), sharedIndicesOf(std::move(indices)), std::move(labels),
                 std::move(provenance), std::move(regions), std::move(probabilities)) {}

LabelAtlas::LabelAtlas(AtlasDescription description, SharedIndices indices,
                       std::vector<AtlasLabel> labels, AtlasProvenance provenance, Regions regions,
                       std::shared_ptr<const SparseProbabilities> probabilities)
    : description_(std::move(description)),
      grid_(std::move(indices.grid)),
      indexOwner_(std::move(indices.owner)),
      indices_(indices.values),
      verifier_(std::move(indices.verifier)),
      labels_(std::move(labels)),
      provenance_(std::move(provenance)),
      regions_(std::move(regions)),
      probabilities_(std::move(probabilities)) {
  if (indices_.size() != static_cast<std::size_t>(grid_.voxelCount())) {
    throw std::invalid_argument("the indices do not fill their grid");
  }
  regionIndices_.reserve(regions_.size());
  for (const Region& region : regions_) {
    regionIndices_.push_back(indexOfValue(region.index, labels_));
  }
}

std::vector<AtlasLabel> labelsOf(const LabelNames& names, const std::string& path) {
  if (names.size() > kMaxLabels) {
    refuse(path, "more than 65535 named labels");
  }
  std::vector<AtlasLabel> labels;
  labels.reserve(names.size());
  for (const auto& [value, name] : names) {
    labels.push_back({value, name});
  }
  return labels;
}

imaging::Volume<std::uint16_t> readLabelIndices(imaging::NiftiReader& reader,
                                                std::vector<AtlasLabel>& labels,
                                                const std::string& path) {
  const bool namedByValue = labels.empty();
  std::vector<std::uint16_t> indices = reader.readStored([&](const auto& stored) {
    if (namedByValue) {
      labels = labelsOf(valuesAsNames(stored.values().data(), stored.values().size()), path);
    }
    return compactIndices(stored.values().data(), stored.values().size(), labels);
  });
  return imaging::Volume<std::uint16_t>(reader.grid(), std::move(indices));
}

LabelAtlas loadLabelAtlas(const AtlasEntry& entry, const std::string& dataDirectory) {
  const std::string path = joinPath(dataDirectory, entry.file);
  if (!std::filesystem::exists(path)) {
    refuse(path, "no such file");
  }
  imaging::NiftiReader reader(path, {.labels = true, .maxVoxels = kMaxVoxels});
  std::vector<AtlasLabel> labels = labelsOf(namesOf(entry, dataDirectory, path, reader), path);
  imaging::Volume<std::uint16_t> volume = readLabelIndices(reader, labels, path);
  if (entry.whiteMatterHeaderFix) {
    imaging::Affine voxelToMni = volume.grid().voxelToWorld();
    correctWhiteMatterSform(voxelToMni);
    volume.setVoxelToWorld(voxelToMni);
  }
  AtlasDescription description = describeEntry(entry, dataDirectory, sha256OfFile);
  AtlasProvenance provenance{path, description.files.front().sha256, volume.grid().size(),
                             volume.grid().voxelSize(), labels.size()};
  return LabelAtlas(std::move(description), std::move(volume), std::move(labels),
                    std::move(provenance));
}

}  // namespace atlas
