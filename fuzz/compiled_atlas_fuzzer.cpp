// Fuzzes the compiled-atlas reader: any bytes under the key their own header declares, read as an
// atlas with its map, then every block of its labelling and map verified and a voxel looked up.
// A refusal must be an UntrustedFile; nothing may crash or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "atlas/compiled_atlas.hpp"
#include "atlas/nearby_labels.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto* first = reinterpret_cast<const std::byte*>(data);
  std::vector<std::byte> bytes(first, first + size);
  const std::optional<cache::CompiledKey> key = cache::declaredKey(bytes);
  if (!key) {
    return 0;
  }
  try {
    auto file = std::make_shared<const cache::CompiledFile>(
        cache::CompiledFile::adopt(std::move(bytes), *key));
    atlas::CompiledAtlas compiled = atlas::readCompiledAtlas(file, true);
    const std::optional<atlas::NearestMap> map = compiled.map;
    const atlas::LabelAtlas atlas({}, std::move(compiled.indices), std::move(compiled.labels), {},
                                  std::move(compiled.regions), std::move(compiled.probabilities));
    for (const std::uint16_t index : atlas.indices()) {
      if (index != 0) {
        static_cast<void>(atlas.label(index));
      }
    }
    if (map) {
      const atlas::NearbyLabels nearby(atlas, 4, map->entries, map->margin, map->verifier);
      static_cast<void>(nearby.nearest({0, 0, 0}, 4));
      static_cast<void>(nearby.within({-1, 0, 0}, 4));
    }
    if (const atlas::SparseProbabilities* probabilities = atlas.probabilities()) {
      for (const atlas::RegionProbability p : probabilities->at(0)) {
        static_cast<void>(atlas.label(atlas.indexOfRegion(p.region)));
      }
    }
  } catch (const cache::UntrustedFile&) {
  }
  return 0;
}
