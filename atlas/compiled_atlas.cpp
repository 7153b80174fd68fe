// The compiled form of a label atlas, kept in the cache: its labelling as compact 16-bit indices
// on its own grid, its label names, the facts provenance prints, and its nearest-label map when
// one was built, each in a section of its own so a run reads only what it uses.
#include "atlas/compiled_atlas.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "cache/block_checksums.hpp"

namespace atlas {
namespace {

constexpr const char* kKind = "label-atlas";
// Raised whenever a section's layout or what is compiled into it changes.
constexpr std::uint32_t kFormatVersion = 4;

constexpr const char* kSizeTag = "size";
constexpr const char* kSformTag = "sform";
constexpr const char* kIndicesTag = "indices";
constexpr const char* kIndexBlocksTag = "iblocks";
constexpr const char* kLabelsTag = "labels";
constexpr const char* kSha256Tag = "sha256";
constexpr const char* kMapTag = "nearest";
constexpr const char* kMapBlocksTag = "mblocks";
constexpr const char* kMarginTag = "margin";
constexpr const char* kRegionsTag = "regions";
constexpr const char* kStartsTag = "pstarts";
constexpr const char* kEntriesTag = "pentries";
constexpr const char* kMassTag = "pmass";

// Far beyond any atlas grid, and small enough for the products below to stay exact.
constexpr std::int64_t kLargestAxis = 1 << 16;
constexpr std::int64_t kMostVoxels = std::int64_t{1} << 31;

void appendNamed(std::string& blob, std::int64_t value, const std::string& name) {
  const auto length = static_cast<std::uint32_t>(name.size());
  blob.append(reinterpret_cast<const char*>(&value), sizeof value);
  blob.append(reinterpret_cast<const char*>(&length), sizeof length);
  blob += name;
}

std::string labelsBlob(const LabelAtlas& atlas, std::size_t count) {
  std::string blob;
  for (std::uint16_t index = 1; index <= count; ++index) {
    appendNamed(blob, atlas.label(index).value, atlas.label(index).name);
  }
  return blob;
}

std::string regionsBlob(const Regions& regions) {
  std::string blob;
  for (const Region& region : regions) {
    appendNamed(blob, region.index, region.name);
  }
  return blob;
}

// Values with their names, as appendNamed wrote them, at most 65535.
std::vector<AtlasLabel> namedOf(std::span<const std::byte> blob) {
  std::vector<AtlasLabel> labels;
  std::size_t at = 0;
  while (at < blob.size()) {
    AtlasLabel label;
    std::uint32_t length = 0;
    if (blob.size() - at < sizeof label.value + sizeof length) {
      throw cache::UntrustedFile("its labels are cut short");
    }
    std::memcpy(&label.value, blob.data() + at, sizeof label.value);
    std::memcpy(&length, blob.data() + at + sizeof label.value, sizeof length);
    at += sizeof label.value + sizeof length;
    if (blob.size() - at < length || labels.size() == 65535) {
      throw cache::UntrustedFile("its labels are cut short");
    }
    label.name.assign(reinterpret_cast<const char*>(blob.data() + at), length);
    at += length;
    labels.push_back(std::move(label));
  }
  return labels;
}

// The product of three axes each within 1..kLargestAxis, or 0 when one is not.
std::int64_t voxelsOf(const std::array<std::int64_t, 3>& size) {
  std::int64_t voxels = 1;
  for (const std::int64_t axis : size) {
    if (axis < 1 || axis > kLargestAxis) {
      return 0;
    }
    voxels *= axis;
  }
  return voxels <= kMostVoxels ? voxels : 0;
}

imaging::Grid gridOf(const cache::CompiledFile& file) {
  const std::span<const std::int64_t> size = file.array<std::int64_t>(kSizeTag);
  const std::span<const double> sform = file.array<double>(kSformTag);
  if (size.size() != 3 || sform.size() != 12 || voxelsOf({size[0], size[1], size[2]}) == 0) {
    throw cache::UntrustedFile("its grid is not one");
  }
  imaging::Affine affine{};
  for (std::size_t row = 0; row < 3; ++row) {
    std::copy_n(sform.begin() + static_cast<std::ptrdiff_t>(4 * row), 4, affine[row].begin());
  }
  try {
    return imaging::Grid({size[0], size[1], size[2]}, affine);
  } catch (const std::domain_error&) {
    throw cache::UntrustedFile("its grid is not one");
  }
}

// Whether every entry of a block names a label the atlas holds, or none: a block whose checksum
// matches may still have been written by something else.
template <class Entry>
bool namesKnownLabels(std::span<const std::byte> block, std::size_t labels,
                      std::uint16_t (*labelOf)(Entry)) {
  std::uint16_t largest = 0;
  for (std::size_t at = 0; at + sizeof(Entry) <= block.size(); at += sizeof(Entry)) {
    Entry entry{};
    std::memcpy(&entry, block.data() + at, sizeof entry);
    largest = std::max(largest, labelOf(entry));
  }
  return largest <= labels;
}

std::uint16_t itself(std::uint16_t index) {
  return index;
}

// Labels sorted strictly by value, as lookups by value need, and every region among them.
bool labelsFit(const std::vector<AtlasLabel>& labels, const Regions& regions) {
  const auto ascending = [](const AtlasLabel& a, const AtlasLabel& b) {
    return a.value >= b.value;
  };
  return std::adjacent_find(labels.begin(), labels.end(), ascending) == labels.end() &&
         std::all_of(regions.begin(), regions.end(),
                     [&](const Region& r) { return indexOfValue(r.index, labels) != 0; });
}

std::optional<NearestMap> mapOf(const cache::CompiledFile& file, const imaging::Grid& grid,
                                std::size_t labels) {
  const std::vector<std::string> tags = file.tags();
  if (std::find(tags.begin(), tags.end(), kMapTag) == tags.end()) {
    return std::nullopt;
  }
  const std::span<const std::int64_t> margin = file.array<std::int64_t>(kMarginTag);
  const std::span<const std::byte> bytes = file.unreadSection(kMapTag);
  std::array<std::int64_t, 3> mapSize{};
  for (std::size_t axis = 0; axis < 3 && margin.size() == 3; ++axis) {
    mapSize[axis] = margin[axis] >= 0 && margin[axis] <= kLargestAxis
                        ? grid.size()[axis] + 2 * margin[axis]
                        : 0;
  }
  const std::int64_t voxels = voxelsOf(mapSize);
  if (voxels == 0 || static_cast<std::uint64_t>(voxels) * sizeof(NearestEntry) != bytes.size() ||
      reinterpret_cast<std::uintptr_t>(bytes.data()) % alignof(NearestEntry) != 0) {
    throw cache::UntrustedFile("its nearest-label map does not fit its grid");
  }
  auto verifier = std::make_shared<const cache::BlockVerifiedBytes>(
      bytes, file.array<std::uint64_t>(kMapBlocksTag), kMapTag,
      [labels](std::span<const std::byte> block) {
        return namesKnownLabels<NearestEntry>(block, labels, labelIndexOf);
      });
  return NearestMap{
      {reinterpret_cast<const NearestEntry*>(bytes.data()), bytes.size() / sizeof(NearestEntry)},
      {margin[0], margin[1], margin[2]},
      std::move(verifier)};
}

}  // namespace

cache::CompiledKey compiledAtlasKey(const AtlasSources& sources, std::string_view settings) {
  std::vector<std::string> text{std::string(settings)};
  for (const auto& [path, digest] : sources) {
    text.push_back(cache::hexOf(digest));
  }
  return {kKind, kFormatVersion, cache::sha256OfParts({text.begin(), text.end()})};
}

cache::CompiledWriter compileAtlas(const LabelAtlas& atlas, const cache::CompiledKey& key,
                                   const AtlasSources& sources,
                                   const std::optional<NearestMap>& map) {
  cache::CompiledWriter writer(key);
  const imaging::Grid& grid = atlas.grid();
  writer.addArray<std::int64_t>(kSizeTag, grid.size());
  std::array<double, 12> sform{};
  for (std::size_t row = 0; row < 3; ++row) {
    std::copy_n(grid.voxelToWorld()[row].begin(), 4,
                sform.begin() + static_cast<std::ptrdiff_t>(4 * row));
  }
  writer.addArray<double>(kSformTag, sform);
  const std::span<const std::uint16_t> indices = atlas.indices();
  writer.addArray<std::uint16_t>(kIndicesTag, indices);
  writer.addArray<std::uint64_t>(kIndexBlocksTag, cache::blockChecksumsOf(std::as_bytes(indices)));
  const std::string labels = labelsBlob(atlas, atlas.provenance().labels);
  writer.add(kLabelsTag, std::as_bytes(std::span(labels)));
  writer.add(kSha256Tag, std::as_bytes(std::span(atlas.provenance().sha256)));
  if (const SparseProbabilities* probabilities = atlas.probabilities()) {
    const std::string regions = regionsBlob(atlas.regions());
    writer.add(kRegionsTag, std::as_bytes(std::span(regions)));
    writer.addArray<std::uint32_t>(kStartsTag, probabilities->starts());
    writer.addArray<RegionProbability>(kEntriesTag, probabilities->entries());
    writer.addArray<double>(kMassTag, probabilities->regionMass());
  }
  if (map) {
    writer.addArray<std::int64_t>(kMarginTag, map->margin);
    writer.addArray<NearestEntry>(kMapTag, map->entries);
    writer.addArray<std::uint64_t>(kMapBlocksTag,
                                   cache::blockChecksumsOf(std::as_bytes(map->entries)));
  }
  std::vector<std::pair<std::filesystem::path, cache::Digest>> named;
  for (const auto& [path, digest] : sources) {
    named.emplace_back(path, digest);
  }
  cache::addSources(writer, named);
  return writer;
}

CompiledAtlas readCompiledAtlas(std::shared_ptr<const cache::CompiledFile> file, bool withMap) {
  imaging::Grid grid = gridOf(*file);
  std::vector<AtlasLabel> labels = namedOf(file->section(kLabelsTag));
  const std::span<const std::byte> indexBytes = file->unreadSection(kIndicesTag);
  if (indexBytes.size() != static_cast<std::uint64_t>(voxelsOf(grid.size())) * 2 ||
      reinterpret_cast<std::uintptr_t>(indexBytes.data()) % alignof(std::uint16_t) != 0) {
    throw cache::UntrustedFile("its labelling does not fit its grid");
  }
  const std::size_t labelCount = labels.size();
  auto verifier = std::make_shared<const cache::BlockVerifiedBytes>(
      indexBytes, file->array<std::uint64_t>(kIndexBlocksTag), kIndicesTag,
      [labelCount](std::span<const std::byte> block) {
        return namesKnownLabels<std::uint16_t>(block, labelCount, itself);
      });
  const std::span<const std::byte> sha = file->section(kSha256Tag);
  std::optional<NearestMap> map = withMap ? mapOf(*file, grid, labels.size()) : std::nullopt;
  CompiledAtlas compiled{
      {std::move(grid),
       {reinterpret_cast<const std::uint16_t*>(indexBytes.data()), indexBytes.size() / 2},
       file,
       std::move(verifier)},
      std::move(labels),
      std::string(reinterpret_cast<const char*>(sha.data()), sha.size()),
      map,
      {},
      nullptr};
  const std::vector<std::string> tags = file->tags();
  if (std::find(tags.begin(), tags.end(), kRegionsTag) != tags.end()) {
    for (AtlasLabel& region : namedOf(file->section(kRegionsTag))) {
      compiled.regions.push_back({region.value, std::move(region.name)});
    }
    const std::span<const double> mass = file->array<double>(kMassTag);
    try {
      compiled.probabilities = std::make_shared<const SparseProbabilities>(
          compiled.regions.size(), file->array<std::uint32_t>(kStartsTag),
          file->array<RegionProbability>(kEntriesTag),
          std::vector<double>(mass.begin(), mass.end()), file);
    } catch (const std::invalid_argument&) {
      throw cache::UntrustedFile("its probabilities do not fit together");
    }
    if (compiled.probabilities->voxels() != compiled.indices.grid.voxelCount()) {
      throw cache::UntrustedFile("its probabilities do not fit its grid");
    }
  }
  if (!labelsFit(compiled.labels, compiled.regions)) {
    throw cache::UntrustedFile("its labels are out of order or miss a region");
  }
  return compiled;
}

}  // namespace atlas
