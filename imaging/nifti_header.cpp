// What the NIfTI reader and writer share: nifticlib's image of a header, and the one way a
// file is refused.
#include "imaging/nifti_header.hpp"

#include <stdexcept>

namespace imaging {

void refuse(const std::string& path, const std::string& why) {
  throw std::runtime_error(path + ": " + why);
}

namespace nifti {

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

}  // namespace nifti
}  // namespace imaging
