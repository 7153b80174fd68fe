// What the NIfTI reader and writer share: nifticlib's image of a header, and the one way a
// file is refused.
#pragma once

#include <nifti2_io.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "imaging/affine.hpp"
#include "imaging/nifti_read.hpp"

namespace imaging::nifti {

struct ImageDeleter {
  void operator()(nifti_image* image) const { nifti_image_free(image); }
};
using ImagePtr = std::unique_ptr<nifti_image, ImageDeleter>;

Affine toAffine(const nifti_dmat44& m);

// nifticlib's image for a raw header in host byte order (NIfTI-1 or NIfTI-2, by `version`),
// without voxels; refuses a header nifticlib cannot convert.
ImagePtr imageFromHeader(const std::vector<std::byte>& header, int version,
                         const std::string& path);

}  // namespace imaging::nifti

namespace imaging::nifti {

// The NIfTI datatype code of a C++ scalar type.
template <typename T>
constexpr int datatypeOf() {
  if constexpr (std::is_same_v<T, std::int8_t>) {
    return DT_INT8;
  } else if constexpr (std::is_same_v<T, std::uint8_t>) {
    return DT_UINT8;
  } else if constexpr (std::is_same_v<T, std::int16_t>) {
    return DT_INT16;
  } else if constexpr (std::is_same_v<T, std::uint16_t>) {
    return DT_UINT16;
  } else if constexpr (std::is_same_v<T, std::int32_t>) {
    return DT_INT32;
  } else if constexpr (std::is_same_v<T, std::uint32_t>) {
    return DT_UINT32;
  } else if constexpr (std::is_same_v<T, std::int64_t>) {
    return DT_INT64;
  } else if constexpr (std::is_same_v<T, std::uint64_t>) {
    return DT_UINT64;
  } else if constexpr (std::is_same_v<T, float>) {
    return DT_FLOAT32;
  } else {
    static_assert(std::is_same_v<T, double>);
    return DT_FLOAT64;
  }
}

}  // namespace imaging::nifti
