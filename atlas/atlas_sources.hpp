// What an atlas file on disk describes before any voxel is read: its form, key, type, template
// space, regions and every file it is made of.
#pragma once

#include <string>
#include <vector>

#include "atlas/atlas_files.hpp"
#include "atlas/fsl_atlas.hpp"
#include "atlas/label_tables.hpp"

namespace atlas {

// FSL installs its atlases in this space.
inline constexpr const char* kFslTemplateSpace = "MNI152NLin6Asym";

struct AtlasSource {
  std::string key;
  AtlasForm form = AtlasForm::kTable;
  AtlasType type = AtlasType::kLabel;
  std::string templateSpace;  // empty when the files do not say
  std::string description;    // the file the user named: an FSL .xml or an image
  std::string image;          // the label image, or the 4D image of a probabilistic atlas
  std::string summary;        // a probabilistic atlas's 3D labelling; empty when not given
  std::string table;          // the file naming the regions; empty when the image has none
  Regions regions;            // empty: an image's values are its names
  bool summaryIsIndexPlusOne = false;  // FSL's summary images hold index + 1
};

// Every file read for the atlas, each once, in a fixed order: description, image, summary,
// table.
std::vector<std::string> filesOf(const AtlasSource& source);

// Describes the atlas of `path`: an FSL .xml (its finest resolution is chosen by `finest`,
// which gets the candidate image paths and returns the position of the finest), a TemplateFlow
// dseg/probseg image with its TSV, or any label image with a table beside it or none. `key`
// overrides the derived key when not empty. Throws std::runtime_error naming the file and what
// is wrong.
AtlasSource describeAtlas(const std::string& path, const std::string& key,
                          std::size_t (*finest)(const std::vector<std::string>& images));

}  // namespace atlas
