// The set of atlases the daemon answers from, loaded from one data directory.
#include "orvod/atlas_set.hpp"

#include "imaging/nifti_read.hpp"

namespace orvod {

namespace {

constexpr const char* kGrey = "aal.nii.gz";
constexpr const char* kGreyNames = "aal.nii.txt";
constexpr const char* kWhite = "JHU-WhiteMatter-labels-1mm.nii.gz";
constexpr const char* kWhiteNames = "JHU-WhiteMatter-labels-1mm.nii.txt";
constexpr const char* kBrain = "ch2bet.nii.gz";

LabelVolume readLabelVolume(const std::string& path) {
  return imaging::readVolume<std::uint8_t>(path, {.labels = true});
}

std::string withSlash(const std::string& directory) {
  return directory.empty() || directory.back() == '/' ? directory : directory + "/";
}

// Files are read in this order whatever is skipped, so a missing file is named as it always was.
AtlasSet loadAtlases(const std::string& directory, bool tableVolumes) {
  const std::string dir = withSlash(directory);
  AtlasSet atlases;
  if (tableVolumes) {
    atlases.grey = readLabelVolume(dir + kGrey);
  }
  atlases.greyNames = readLabelTable(dir + kGreyNames);
  if (tableVolumes) {
    atlases.white = readLabelVolume(dir + kWhite);
  }
  atlases.whiteNames = readLabelTable(dir + kWhiteNames);
  if (tableVolumes) {
    correctWhiteMatterOrientation(atlases.white);
    atlases.brain = readLabelVolume(dir + kBrain);
  }
  atlases.parcels = readLabelVolume(dir + "AICHAmc.nii.gz");
  atlases.parcelNames = readLabelTable(dir + "AICHAmc.nii.txt");
  return atlases;
}

}  // namespace

bool correctWhiteMatterOrientation(LabelVolume& white) {
  imaging::Affine voxelToWorld = white.grid().voxelToWorld();
  if (!atlas::correctWhiteMatterSform(voxelToWorld)) {
    return false;
  }
  white.setVoxelToWorld(voxelToWorld);
  return true;
}

AtlasSet loadAtlasSet(const std::string& directory) {
  return loadAtlases(directory, true);
}

AtlasSet loadAtlasNames(const std::string& directory) {
  return loadAtlases(directory, false);
}

std::vector<std::string> answerTableSources(const std::string& directory) {
  const std::string dir = withSlash(directory);
  return {dir + kGrey, dir + kGreyNames, dir + kWhite, dir + kWhiteNames, dir + kBrain};
}

}  // namespace orvod
