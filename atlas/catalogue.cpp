// The label atlases of mricron-data that vantrel-atlas answers from, each under a fixed key.
#include "atlas/catalogue.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace atlas {
namespace {

// brodmann.nii.gz is left out: the package documents no origin for it.
constexpr std::array<AtlasEntry, 6> kCatalogue{{
    // Drawn on the MNI single-subject brain, as the publication states.
    {"aal", "aal.nii.gz", NameSource::kTextFile, "aal.nii.txt",
     "NeuroImage 2002;15:273-289, doi:10.1006/nimg.2001.0978", false, "MNIColin27"},
    {"ho-cort", "HarvardOxford-cort-maxprob-thr0-1mm.nii.gz", NameSource::kEmbeddedText, "",
     "NeuroImage 2006;31:968-980, doi:10.1016/j.neuroimage.2006.01.021"},
    {"jhu-wm", "JHU-WhiteMatter-labels-1mm.nii.gz", NameSource::kTextFile,
     "JHU-WhiteMatter-labels-1mm.nii.txt",
     "NeuroImage 2008;40:570-582, doi:10.1016/j.neuroimage.2007.12.035", true},
    {"aicha", "AICHAmc.nii.gz", NameSource::kTextFile, "AICHAmc.nii.txt",
     "J Neurosci Methods 2015;254:46-59, doi:10.1016/j.jneumeth.2015.07.013"},
    {"jhu189", "jhu189.nii.gz", NameSource::kEmbeddedText, "",
     "NeuroImage 2012;61:613-621, PubMed 22498656"},
    {"natbrainlab", "natbrainlab.nii.gz", NameSource::kEmbeddedText, "",
     "Cortex 2008;44:1105-1132, doi:10.1016/j.cortex.2008.05.004"},
}};

}  // namespace

std::span<const AtlasEntry> atlasCatalogue() {
  return kCatalogue;
}

const AtlasEntry* findAtlasEntry(std::string_view key) {
  const auto it = std::find_if(kCatalogue.begin(), kCatalogue.end(),
                               [key](const AtlasEntry& entry) { return entry.key == key; });
  return it == kCatalogue.end() ? nullptr : &*it;
}

std::vector<const AtlasEntry*> selectAtlases(std::string_view commaList) {
  std::vector<const AtlasEntry*> chosen;
  while (true) {
    const std::size_t comma = commaList.find(',');
    const std::string_view key = commaList.substr(0, comma);
    const AtlasEntry* entry = findAtlasEntry(key);
    if (entry == nullptr) {
      throw std::invalid_argument("unknown atlas key '" + std::string(key) +
                                  "' (keys: aal, ho-cort, jhu-wm, aicha, jhu189, natbrainlab)");
    }
    if (std::find(chosen.begin(), chosen.end(), entry) == chosen.end()) {
      chosen.push_back(entry);
    }
    if (comma == std::string_view::npos) {
      return chosen;
    }
    commaList.remove_prefix(comma + 1);
  }
}

namespace {

const imaging::Affine kShippedWhiteMatterSform{{
    {1, 0, 0, -91},
    {0, 1, 0, -126},
    {0, 0, 1, -72},
}};

// The MNI152 1 mm grid of the other FSL-lineage atlases in the package, x running right to
// left. Of the offsets tried this one places the tracts best on white-matter-bright T1 voxels.
const imaging::Affine kCorrectedWhiteMatterSform{{
    {-1, 0, 0, 90},
    {0, 1, 0, -126},
    {0, 0, 1, -72},
}};

}  // namespace

bool correctWhiteMatterSform(imaging::Affine& voxelToWorld) {
  if (voxelToWorld != kShippedWhiteMatterSform) {
    return false;
  }
  voxelToWorld = kCorrectedWhiteMatterSform;
  return true;
}

}  // namespace atlas
