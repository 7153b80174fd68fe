// The set of atlases the daemon answers from, loaded from one data directory.
#include "orvod/atlas_set.hpp"

#include "imaging/nifti_read.hpp"

namespace orvod {

namespace {

LabelVolume readLabelVolume(const std::string& path) {
  return imaging::readVolume<std::uint8_t>(path, {.labels = true});
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
  const std::string dir =
      directory.empty() || directory.back() == '/' ? directory : directory + "/";
  AtlasSet atlases;
  atlases.grey = readLabelVolume(dir + "aal.nii.gz");
  atlases.greyNames = readLabelTable(dir + "aal.nii.txt");
  atlases.white = readLabelVolume(dir + "JHU-WhiteMatter-labels-1mm.nii.gz");
  atlases.whiteNames = readLabelTable(dir + "JHU-WhiteMatter-labels-1mm.nii.txt");
  correctWhiteMatterOrientation(atlases.white);
  atlases.brain = readLabelVolume(dir + "ch2bet.nii.gz");
  atlases.parcels = readLabelVolume(dir + "AICHAmc.nii.gz");
  atlases.parcelNames = readLabelTable(dir + "AICHAmc.nii.txt");
  return atlases;
}

}  // namespace orvod
