// What every NIfTI reader and writer of this library and its programs checks and converts in a
// header.
#include "imaging/nifti_header.hpp"

#include <stdexcept>

namespace atlas::nifti {

Affine toAffine(const nifti_dmat44& m) {
  Affine a{};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      a[row][col] = m.m[row][col];
    }
  }
  return a;
}

ImagePtr imageFromHeader(const std::vector<std::byte>& header, int version,
                         const std::string& path) {
  nifti_image* image =
      version == 1 ? nifti_convert_n1hdr2nim(
                         *reinterpret_cast<const nifti_1_header*>(header.data()), path.c_str())
                   : nifti_convert_n2hdr2nim(
                         *reinterpret_cast<const nifti_2_header*>(header.data()), path.c_str());
  if (image == nullptr) {
    refuse(path, "nifticlib refuses the header");
  }
  return ImagePtr(image);
}

void refuse(const std::string& path, const std::string& why) {
  throw std::runtime_error(path + ": " + why);
}

bool isUnscaled(const nifti_image& image) {
  return image.scl_slope == 0.0 || (image.scl_slope == 1.0 && image.scl_inter == 0.0);
}

Affine voxelToWorldOf(const nifti_image& image, const std::string& path) {
  // Several shipped atlases carry a stale qform that disagrees with their sform.
  Affine affine{};
  if (image.sform_code > 0) {
    affine = toAffine(image.sto_xyz);
  } else if (image.qform_code > 0) {
    affine = toAffine(image.qto_xyz);
  } else {
    refuse(path, "neither sform nor qform gives the orientation");
  }
  try {
    invert(affine);
  } catch (const std::domain_error&) {
    refuse(path, "the orientation matrix is singular");
  }
  return affine;
}

void checkSingleUnscaledVolume(const nifti_image& image, const std::string& path) {
  if (image.nt > 1 || image.nu > 1 || image.nv > 1 || image.nw > 1) {
    refuse(path, "more than one volume in the file");
  }
  if (!isUnscaled(image)) {
    refuse(path, "labels must not be scaled (scl_slope/scl_inter)");
  }
}

}  // namespace atlas::nifti
