// The compiled form of a label atlas, kept in the cache: its labelling as compact 16-bit indices
// on its own grid, its label names, the facts provenance prints, and its nearest-label map when
// one was built, each in a section of its own so a run reads only what it uses.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "atlas/distance_map.hpp"
#include "atlas/label_atlas.hpp"
#include "cache/block_checksums.hpp"
#include "cache/compiled_file.hpp"
#include "cache/store.hpp"

namespace atlas {

// Every file an atlas was read from, each with its SHA-256, the label volume first.
using AtlasSources = std::vector<std::pair<std::string, cache::Digest>>;

// The key of the atlas compiled from `sources`; `settings` names whatever else changes what is
// compiled, such as the white-matter header correction.
cache::CompiledKey compiledAtlasKey(const AtlasSources& sources, std::string_view settings);

// The nearest-label map of an atlas and the margin of voxels it reaches beyond the grid.
struct NearestMap {
  std::span<const NearestEntry> entries;
  VoxelIndex margin{};
  // Verifies each block of a compiled map the first time it is read; null for a map in memory.
  std::shared_ptr<const cache::BlockVerifiedBytes> verifier;
};

cache::CompiledWriter compileAtlas(const LabelAtlas& atlas, const cache::CompiledKey& key,
                                   const AtlasSources& sources,
                                   const std::optional<NearestMap>& map);

// What a compiled atlas gives back, pointing into the compiled file, which it keeps mapped.
struct CompiledAtlas {
  LabelAtlas::SharedIndices indices;  // each block verified when first read
  std::vector<AtlasLabel> labels;
  std::string sha256;  // of the label volume, as provenance prints it
  std::optional<NearestMap> map;
  Regions regions;  // a probabilistic atlas's, in volume order; empty for a label atlas
  std::shared_ptr<const SparseProbabilities> probabilities;
};

// Reads the names, facts and probabilities, and the map when `withMap` and the file holds one;
// the labelling is read a block at a time as it is used. Throws cache::UntrustedFile when a
// section it reads is corrupt or the contents do not fit together.
CompiledAtlas readCompiledAtlas(std::shared_ptr<const cache::CompiledFile> file, bool withMap);

}  // namespace atlas
