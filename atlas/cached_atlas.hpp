// An atlas of a run read from its compiled form in the cache, compiled first when the cache
// holds none that can be trusted.
#pragma once

#include <optional>
#include <string>

#include "atlas/atlas_choice.hpp"
#include "atlas/compiled_atlas.hpp"
#include "atlas/label_atlas.hpp"
#include "cache/store.hpp"

namespace atlas {

struct CachedAtlas {
  LabelAtlas atlas;
  // Each block read when first used, so that even one point reads its nearest label from it.
  std::optional<NearestMap> map;  // none where the grid allows none
};

// Throws std::runtime_error naming the file, as reading the atlas from its files does; a compiled
// file that cannot be trusted is compiled again, with one warning through the store. Nothing
// when the cache holds none and cannot keep one: the atlas is then read from its files.
std::optional<CachedAtlas> loadCachedAtlas(const ChosenAtlas& chosen,
                                           const std::string& dataDirectory,
                                           const cache::Store& store);

// Removes a compiled file found corrupt after it was first trusted, so the next run compiles it
// again, and says so in one line through `warn`.
void forgetCompiledAtlas(const LabelAtlas& atlas, const cache::Warn& warn);

}  // namespace atlas
