// Volumes made for the report's viewer: gzip-compressed NIfTI-1 bytes, loaded like the atlases.
#include "report/viewer_volume.hpp"

#include "imaging/nifti_write.hpp"

namespace report {

std::vector<std::uint8_t> gzippedNifti(const imaging::Volume<float>& volume) {
  // Every table of the report reads the map's world as MNI; the viewer does the same.
  return imaging::gzippedNifti(volume, imaging::Space::kMni152);
}

}  // namespace report
