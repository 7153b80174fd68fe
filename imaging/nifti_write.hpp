// The one writer of NIfTI files, through nifticlib's header structures: label volumes on the
// grid of a file read before, and float volumes made in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/nifti_read.hpp"
#include "imaging/volume.hpp"

namespace imaging {

// What a written label volume says of its values.
struct LabelFields {
  std::string description;  // at most 79 characters are kept
  double largestLabel = 0;  // cal_max; cal_min is 0
};

// Writes `labels` (UINT8, INT16 or INT32) to `path` as gzip-compressed NIfTI with the header
// of the file `like` came from: both transforms, units and voxel sizes as it had them, one
// unscaled volume with the label intent. NIfTI-1 where the grid fits its 16-bit dimensions,
// else NIfTI-2. Throws std::runtime_error naming the path.
template <typename T>
void writeLabelsLike(const std::string& path, const Volume<T>& labels, const NiftiHeader& like,
                     const LabelFields& fields);

// The standard spaces a volume made in memory can say it lies in.
enum class Space { kMni152 };

// A float32 NIfTI-1 file in memory, gzip-compressed: the grid's transform as the sform in
// `space`, millimetres, values stored as they are. Throws std::runtime_error when the grid does
// not fit NIfTI-1 or cannot be compressed in memory.
std::vector<std::uint8_t> gzippedNifti(const Volume<float>& volume, Space space);

}  // namespace imaging
