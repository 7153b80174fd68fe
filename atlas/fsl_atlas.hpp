// The description of an FSL atlas: its XML file naming the atlas, its type, its images at each
// resolution and the name of every region.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "atlas/label_tables.hpp"

namespace atlas {

enum class AtlasType { kLabel, kProbabilistic };

struct FslImages {
  std::string image;    // as written, relative to the XML's folder even with a leading '/'
  std::string summary;  // the 3D labelling of a probabilistic atlas; empty when not given
};

struct FslAtlasDescription {
  std::string name;
  std::string shortName;
  AtlasType type = AtlasType::kLabel;
  std::vector<FslImages> resolutions;  // in the file's order, at least one
  Regions regions;  // an index is the voxel value (label atlas) or the volume (probabilistic)
};

// Reads an atlas description from the XML text of `source`. Throws std::runtime_error with one
// line naming `source` and what is wrong: XML that is not well formed, that declares a document
// type or entities (so no entity can multiply the input), that has no <images>, a <type> other
// than Label or Probabilistic, a region index that is not a whole number, a repeated index, or
// a region name longer than kMaxRegionName.
FslAtlasDescription parseFslAtlas(std::string_view xml, const std::string& source);

// The file an <imagefile> or <summaryimagefile> names, relative to `folder` (a leading '/'
// still means relative): the name as written, else with .nii.gz, else with .nii appended.
// Throws std::runtime_error naming `source` and the image when none of them exists.
std::string resolveFslImage(const std::string& folder, std::string_view written,
                            const std::string& source);

}  // namespace atlas
