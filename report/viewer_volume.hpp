// Volumes made for the report's viewer: gzip-compressed NIfTI-1 bytes, loaded like the atlases.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/volume.hpp"

namespace report {

// The volume as a float32 NIfTI-1 file, gzip-compressed, in MNI space. Throws
// std::runtime_error when it cannot be.
std::vector<std::uint8_t> gzippedNifti(const imaging::Volume<float>& volume);

}  // namespace report
