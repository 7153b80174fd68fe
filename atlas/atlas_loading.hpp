// Reads the atlas an AtlasSource describes: a label image through the compact indices of every
// label atlas, so that the searches and distance maps work on it unchanged.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "atlas/atlas_sources.hpp"
#include "atlas/label_atlas.hpp"

namespace atlas {

// The position of the finest of an FSL atlas's images: the smallest voxel, the first of equal
// ones. Reads their headers only; throws std::runtime_error for an image the reader refuses.
std::size_t finestImage(const std::vector<std::string>& images);

// Describes the atlas file of `path` (its key overridden when `key` is not empty), choosing an
// FSL atlas's finest resolution.
AtlasSource describeAtlasFile(const std::string& path, const std::string& key);

// What outputs say of the atlas a source describes, each file's digest from `digestOf`.
AtlasDescription describeSource(const AtlasSource& source, const DigestOfFile& digestOf);

// Throws std::runtime_error with one line naming the file and what is wrong.
LabelAtlas loadAtlas(const AtlasSource& source);

// "aal in MNIColin27, harvardoxford-cortical in MNI152NLin6Asym" when the atlases whose
// template space is stated do not all share it; nothing when they do.
std::optional<std::string> mixedTemplateSpaces(const std::vector<LabelAtlas>& atlases);

}  // namespace atlas
