// The set of atlases the daemon answers from, loaded from one data directory.
#pragma once

#include <string>
#include <vector>

#include "atlas/catalogue.hpp"
#include "imaging/volume.hpp"
#include "orvod/label_table.hpp"

namespace orvod {

using LabelVolume = imaging::Volume<std::uint8_t>;

struct AtlasSet {
  LabelVolume grey;        // AAL, 1 mm: grey-matter regions
  LabelTable greyNames;    // value, name, AAL code
  LabelVolume white;       // JHU, 1 mm: white-matter tracts
  LabelTable whiteNames;   // value, name
  LabelVolume brain;       // skull-stripped single-subject T1: nonzero inside the brain
  LabelVolume parcels;     // AICHA, 2 mm: the Quendel database
  LabelTable parcelNames;  // value, name
};

// Throws std::runtime_error naming the file that is missing or refused.
AtlasSet loadAtlasSet(const std::string& directory);
// The same without the grey, white and brain volumes, which only the answer table is built from.
AtlasSet loadAtlasNames(const std::string& directory);
// The files of `directory` the answer table is built from: the three volumes and their names.
std::vector<std::string> answerTableSources(const std::string& directory);

// The shipped JHU white-matter header puts every right-hemisphere tract on the left. Returns
// whether the volume carried that exact header and was reoriented; a corrected future release
// is left alone.
bool correctWhiteMatterOrientation(LabelVolume& white);

}  // namespace orvod
