// The compiled form of a label atlas, kept in the cache: its labelling as compact 16-bit indices
// on its own grid, its label names, the facts provenance prints, and its nearest-label map when
// one was built, each in a section of its own so a run reads only what it uses.
#include "atlas/compiled_atlas.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace atlas {
namespace {

constexpr const char* kKind = "label-atlas";
// Raised whenever a section's layout or what is compiled into it changes.
constexpr std::uint32_t kFormatVersion = 1;

constexpr const char* kSizeTag = "size";
constexpr const char* kSformTag = "sform";
constexpr const char* kIndicesTag = "indices";
constexpr const char* kLabelsTag = "labels";
constexpr const char* kSha256Tag = "sha256";
constexpr const char* kMapTag = "nearest";
constexpr const char* kMarginTag = "margin";

// Far beyond any atlas grid, and small enough for the products below to stay exact.
constexpr std::int64_t kLargestAxis = 1 << 16;
constexpr std::int64_t kMostVoxels = std::int64_t{1} << 31;

std::string labelsBlob(const LabelAtlas& atlas, std::size_t count) {
  std::string blob;
  for (std::uint16_t index = 1; index <= count; ++index) {
    const AtlasLabel& label = atlas.label(index);
    const auto length = static_cast<std::uint32_t>(label.name.size());
    blob.append(reinterpret_cast<const char*>(&label.value), sizeof label.value);
    blob.append(reinterpret_cast<const char*>(&length), sizeof length);
    blob += label.name;
  }
  return blob;
}

std::vector<AtlasLabel> labelsOf(std::span<const std::byte> blob) {
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

std::optional<NearestMap> mapOf(const cache::CompiledFile& file, const imaging::Grid& grid,
                                std::size_t labels) {
  const std::vector<std::string> tags = file.tags();
  if (std::find(tags.begin(), tags.end(), kMapTag) == tags.end()) {
    return std::nullopt;
  }
  const std::span<const std::int64_t> margin = file.array<std::int64_t>(kMarginTag);
  const std::span<const NearestEntry> entries = file.array<NearestEntry>(kMapTag);
  std::array<std::int64_t, 3> mapSize{};
  for (std::size_t axis = 0; axis < 3 && margin.size() == 3; ++axis) {
    mapSize[axis] = margin[axis] >= 0 && margin[axis] <= kLargestAxis
                        ? grid.size()[axis] + 2 * margin[axis]
                        : 0;
  }
  const std::int64_t voxels = voxelsOf(mapSize);
  const bool fits = voxels > 0 && static_cast<std::uint64_t>(voxels) == entries.size() &&
                    std::all_of(entries.begin(), entries.end(),
                                [labels](NearestEntry e) { return labelIndexOf(e) <= labels; });
  if (!fits) {
    throw cache::UntrustedFile("its nearest-label map does not fit its grid and labels");
  }
  return NearestMap{entries, {margin[0], margin[1], margin[2]}};
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
  writer.addArray<std::uint16_t>(kIndicesTag, atlas.indices().values());
  const std::string labels = labelsBlob(atlas, atlas.provenance().labels);
  writer.add(kLabelsTag, std::as_bytes(std::span(labels)));
  writer.add(kSha256Tag, std::as_bytes(std::span(atlas.provenance().sha256)));
  if (map) {
    writer.addArray<std::int64_t>(kMarginTag, map->margin);
    writer.addArray<NearestEntry>(kMapTag, map->entries);
  }
  std::vector<std::pair<std::filesystem::path, cache::Digest>> named;
  for (const auto& [path, digest] : sources) {
    named.emplace_back(path, digest);
  }
  cache::addSources(writer, named);
  return writer;
}

CompiledAtlas readCompiledAtlas(const cache::CompiledFile& file, bool withMap) {
  imaging::Grid grid = gridOf(file);
  const std::span<const std::uint16_t> indices = file.array<std::uint16_t>(kIndicesTag);
  std::vector<AtlasLabel> labels = labelsOf(file.section(kLabelsTag));
  const bool fits = static_cast<std::uint64_t>(voxelsOf(grid.size())) == indices.size() &&
                    std::all_of(indices.begin(), indices.end(),
                                [&](std::uint16_t i) { return i <= labels.size(); });
  if (!fits) {
    throw cache::UntrustedFile("its labelling does not fit its grid and labels");
  }
  const std::span<const std::byte> sha = file.section(kSha256Tag);
  std::optional<NearestMap> map = withMap ? mapOf(file, grid, labels.size()) : std::nullopt;
  return {imaging::Volume<std::uint16_t>(std::move(grid), {indices.begin(), indices.end()}),
          std::move(labels), std::string(reinterpret_cast<const char*>(sha.data()), sha.size()),
          map};
}

}  // namespace atlas
