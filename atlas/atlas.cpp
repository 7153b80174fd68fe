// The set of atlases the daemon answers from, loaded from one data directory.
#include "atlas/atlas.hpp"

namespace atlas {
namespace {

const Affine kShippedWhiteMatterSform{{
    {1, 0, 0, -91},
    {0, 1, 0, -126},
    {0, 0, 1, -72},
}};

// The MNI152 1 mm grid of the other FSL-lineage atlases in the package, x running right to
// left. Of the offsets tried this one places the tracts best on white-matter-bright T1 voxels.
const Affine kCorrectedWhiteMatterSform{{
    {-1, 0, 0, 90},
    {0, 1, 0, -126},
    {0, 0, 1, -72},
}};

}  // namespace

bool correctWhiteMatterSform(Affine& voxelToWorld) {
  if (voxelToWorld != kShippedWhiteMatterSform) {
    return false;
  }
  voxelToWorld = kCorrectedWhiteMatterSform;
  return true;
}

bool correctWhiteMatterOrientation(LabelVolume& white) {
  Affine voxelToWorld = white.voxelToWorld();
  if (!correctWhiteMatterSform(voxelToWorld)) {
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

}  // namespace atlas
