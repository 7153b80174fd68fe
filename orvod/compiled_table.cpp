// The labeller with its answer table compiled once into the cache and mapped on later starts.
#include "orvod/compiled_table.hpp"

#include <optional>
#include <utility>
#include <vector>

namespace orvod {
namespace {

constexpr const char* kKind = "orvod-cube";
// Raised whenever the table's keys or the way they are computed change.
constexpr std::uint32_t kFormatVersion = 1;
constexpr const char* kBoxTag = "box";
constexpr const char* kKeysTag = "keys";

// The largest table accepted from a file: far more than any atlas set's box of 1 mm points.
constexpr std::int64_t kMostKeys = std::int64_t{1} << 30;

std::optional<cache::CompiledKey> keyOf(
    const std::vector<std::string>& sources, const cache::Store& store,
    std::vector<std::pair<std::filesystem::path, cache::Digest>>& digests) {
  std::vector<std::string> parts;
  try {
    for (const std::string& source : sources) {
      const cache::Digest digest = store.digestOf(source);
      digests.emplace_back(source, digest);
      parts.push_back(std::filesystem::path(source).filename().string());
      parts.push_back(cache::hexOf(digest));
    }
  } catch (const std::runtime_error&) {
    return std::nullopt;  // loading the atlases names the file, as it always has
  }
  return cache::CompiledKey{kKind, kFormatVersion,
                            cache::sha256OfParts({parts.begin(), parts.end()})};
}

cache::CompiledWriter writerOf(
    const AnswerTable& table, const cache::CompiledKey& key,
    const std::vector<std::pair<std::filesystem::path, cache::Digest>>& sources) {
  cache::CompiledWriter writer(key);
  std::array<std::int64_t, 6> box{};
  std::copy(table.origin.begin(), table.origin.end(), box.begin());
  std::copy(table.size.begin(), table.size.end(), box.begin() + 3);
  writer.addArray<std::int64_t>(kBoxTag, box);
  writer.addArray<std::uint16_t>(kKeysTag, table.keys);
  cache::addSources(writer, sources);
  return writer;
}

// The table a compiled file holds, every byte of it verified, without an owner; throws
// cache::UntrustedFile when its box and keys disagree.
AnswerTable tableOf(const cache::CompiledFile& file) {
  const std::span<const std::int64_t> box = file.array<std::int64_t>(kBoxTag);
  const std::span<const std::uint16_t> keys = file.array<std::uint16_t>(kKeysTag);
  AnswerTable table;
  std::int64_t count = box.size() == 6 ? 1 : 0;
  for (std::size_t axis = 0; axis < 3 && count > 0; ++axis) {
    table.origin[axis] = box[axis];
    table.size[axis] = box[axis + 3];
    const bool fits = box[axis] > -kMostKeys && box[axis] < kMostKeys && box[axis + 3] > 0 &&
                      box[axis + 3] <= kMostKeys / count;
    count = fits ? count * box[axis + 3] : 0;
  }
  if (count == 0 || static_cast<std::uint64_t>(count) != keys.size()) {
    throw cache::UntrustedFile("its box does not match its keys");
  }
  table.keys = keys;
  return table;
}

}  // namespace

Labeller loadLabeller(const std::string& dataDirectory, const cache::Store& store) {
  const std::vector<std::string> sources = answerTableSources(dataDirectory);
  std::vector<std::pair<std::filesystem::path, cache::Digest>> digests;
  const std::optional<cache::CompiledKey> key =
      store.useFiles() ? keyOf(sources, store, digests) : std::nullopt;
  if (!key) {
    return Labeller(loadAtlasSet(dataDirectory));
  }
  std::optional<Labeller> built;
  cache::Obtained obtained = store.obtain(
      *key,
      [&] {
        built.emplace(loadAtlasSet(dataDirectory));
        return writerOf(built->answerTable(), *key, digests);
      },
      [](const cache::CompiledFile& file) { tableOf(file); });
  if (built) {
    return std::move(*built);
  }
  auto file = std::make_shared<const cache::CompiledFile>(std::move(obtained.file));
  AnswerTable table = tableOf(*file);
  table.owner = std::move(file);
  return Labeller(loadAtlasNames(dataDirectory), std::move(table));
}

}  // namespace orvod
