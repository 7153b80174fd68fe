// A label volume read from a NIfTI file: one byte per voxel, looked up by world coordinates.
#include "imaging/label_volume.hpp"

#include "imaging/nifti_header.hpp"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace atlas {

using nifti::ImagePtr;
using nifti::refuse;

void LabelVolume::FreeMalloced::operator()(std::uint8_t* p) const {
  std::free(p);
}

LabelVolume::LabelVolume(std::int64_t nx, std::int64_t ny, std::int64_t nz, std::uint8_t* voxels,
                         const Affine& voxelToWorld)
    : nx_(nx), ny_(ny), nz_(nz), voxels_(voxels) {
  setVoxelToWorld(voxelToWorld);
}

void LabelVolume::setVoxelToWorld(const Affine& voxelToWorld) {
  voxelToWorld_ = voxelToWorld;
  worldToVoxel_ = invert(voxelToWorld);
  unitGrid_ = unitGridOf(worldToVoxel_);
}

std::optional<LabelVolume::UnitGrid> LabelVolume::unitGridOf(const Affine& worldToVoxel) {
  UnitGrid grid{};
  std::array<bool, 3> used{};
  for (std::size_t row = 0; row < 3; ++row) {
    const auto& r = worldToVoxel[row];
    int axis = -1;
    for (int col = 0; col < 3; ++col) {
      if (r[col] == 0.0) {
        continue;
      }
      if (axis >= 0 || std::abs(r[col]) != 1.0) {
        return std::nullopt;
      }
      axis = col;
    }
    if (axis < 0 || used[axis] || r[3] != std::trunc(r[3]) || std::abs(r[3]) > 1e9) {
      return std::nullopt;
    }
    used[axis] = true;
    grid[row] = {axis, static_cast<std::int64_t>(r[axis]), static_cast<std::int64_t>(r[3])};
  }
  return grid;
}

std::uint8_t LabelVolume::at(const Vec3& world) const {
  const Vec3 v = roundHalfUp(applyAffine(worldToVoxel_, world));
  // Compare as doubles first: a far-away point must not overflow the integer conversion.
  const auto inside = [](double index, std::int64_t size) {
    return index >= 0 && index < static_cast<double>(size);
  };
  if (!(inside(v[0], nx_) && inside(v[1], ny_) && inside(v[2], nz_))) {
    return 0;
  }
  return voxels_[static_cast<std::size_t>(v[0]) +
                 static_cast<std::size_t>(nx_) *
                     (static_cast<std::size_t>(v[1]) +
                      static_cast<std::size_t>(ny_) * static_cast<std::size_t>(v[2]))];
}

std::uint8_t LabelVolume::atIntegerPoint(const std::array<std::int64_t, 3>& world) const {
  if (!unitGrid_) {
    return at(Vec3{static_cast<double>(world[0]), static_cast<double>(world[1]),
                   static_cast<double>(world[2])});
  }
  const auto index = [&](const AxisMap& m) { return m.sign * world[m.worldAxis] + m.offset; };
  const std::int64_t i = index((*unitGrid_)[0]), j = index((*unitGrid_)[1]),
                     k = index((*unitGrid_)[2]);
  if (i < 0 || i >= nx_ || j < 0 || j >= ny_ || k < 0 || k >= nz_) {
    return 0;
  }
  return voxels_[static_cast<std::size_t>(i + nx_ * (j + ny_ * k))];
}

LabelVolume readLabelVolume(const std::string& path) {
  nifti_set_debug_level(0);
  ImagePtr image(nifti_image_read(path.c_str(), 1));
  if (!image) {
    refuse(path, "not a readable NIfTI file");
  }
  if (image->data == nullptr) {
    refuse(path, "the file holds no voxel data");
  }
  if (image->datatype != DT_UINT8) {
    refuse(path, std::string("voxels are ") + nifti_datatype_string(image->datatype) +
                     ", expected UINT8 labels");
  }
  nifti::checkSingleUnscaledVolume(*image, path);
  const Affine voxelToWorld = nifti::voxelToWorldOf(*image, path);
  // The library's malloc'd voxel block becomes the volume's, saving a copy of every atlas.
  auto* voxels = static_cast<std::uint8_t*>(image->data);
  image->data = nullptr;
  return LabelVolume(image->nx, image->ny, image->nz, voxels, voxelToWorld);
}

}  // namespace atlas
