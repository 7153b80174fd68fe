// What every NIfTI reader and writer of this library and its programs checks and converts in a
// header.
#pragma once

#include <nifti2_io.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "imaging/transform.hpp"

namespace atlas::nifti {

struct ImageDeleter {
  void operator()(nifti_image* image) const { nifti_image_free(image); }
};
using ImagePtr = std::unique_ptr<nifti_image, ImageDeleter>;

[[noreturn]] void refuse(const std::string& path, const std::string& why);

Affine toAffine(const nifti_dmat44& m);

// nifticlib's image for a raw header in host byte order (NIfTI-1 or NIfTI-2, by `version`),
// without voxels; refuses a header nifticlib cannot convert.
ImagePtr imageFromHeader(const std::vector<std::byte>& header, int version,
                         const std::string& path);

// A rescaled label would no longer name its row in the label table. A zero slope means the
// file asks for no scaling at all.
bool isUnscaled(const nifti_image& image);

// From the sform, or the qform when there is no sform; refuses a file with neither or with a
// singular matrix.
Affine voxelToWorldOf(const nifti_image& image, const std::string& path);

// Refuses a file with more than one volume or with scaled voxels.
void checkSingleUnscaledVolume(const nifti_image& image, const std::string& path);

}  // namespace atlas::nifti
