// A statistical map read from a NIfTI file: one volume of real values on the map's own grid.
#include "maps/stat_map.hpp"

#include <nifti2_io.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "imaging/map_header.hpp"
#include "imaging/nifti_header.hpp"

namespace atlas {
namespace {

struct GzCloser {
  void operator()(gzFile_s* file) const { gzclose(file); }
};
using GzPtr = std::unique_ptr<gzFile_s, GzCloser>;

// Widens the raw values, which fill the front of `values`' storage, into doubles in place:
// back to front, each raw value is read before its slot can be overwritten.
template <typename T>
void widenInPlace(std::vector<double>& values, bool swap, double slope, double inter) {
  auto* storage = reinterpret_cast<std::byte*>(values.data());
  const bool scaled = slope != 0.0 && !(slope == 1.0 && inter == 0.0);
  for (std::size_t i = values.size(); i-- > 0;) {
    T raw;
    std::memcpy(&raw, storage + i * sizeof raw, sizeof raw);
    if (swap && sizeof raw > 1) {
      nifti_swap_Nbytes(1, sizeof raw, &raw);
    }
    double value = static_cast<double>(raw);
    if (scaled) {
      value = value * slope + inter;
    }
    std::memcpy(storage + i * sizeof value, &value, sizeof value);
  }
}

void widenInPlace(std::vector<double>& values, int datatype, bool swap, double slope,
                  double inter) {
  switch (datatype) {
    case DT_INT8:
      return widenInPlace<std::int8_t>(values, swap, slope, inter);
    case DT_UINT8:
      return widenInPlace<std::uint8_t>(values, swap, slope, inter);
    case DT_INT16:
      return widenInPlace<std::int16_t>(values, swap, slope, inter);
    case DT_UINT16:
      return widenInPlace<std::uint16_t>(values, swap, slope, inter);
    case DT_INT32:
      return widenInPlace<std::int32_t>(values, swap, slope, inter);
    case DT_UINT32:
      return widenInPlace<std::uint32_t>(values, swap, slope, inter);
    case DT_INT64:
      return widenInPlace<std::int64_t>(values, swap, slope, inter);
    case DT_UINT64:
      return widenInPlace<std::uint64_t>(values, swap, slope, inter);
    case DT_FLOAT32:
      return widenInPlace<float>(values, swap, slope, inter);
    default:
      return widenInPlace<double>(values, swap, slope, inter);
  }
}

void readVoxels(gzFile_s* file, std::int64_t offset, std::vector<double>& values, int bytes,
                const std::string& path) {
  if (gzseek(file, static_cast<z_off_t>(offset), SEEK_SET) != static_cast<z_off_t>(offset)) {
    refuseMap(path, "truncated: the file ends before its voxel data");
  }
  auto* at = reinterpret_cast<unsigned char*>(values.data());
  std::size_t left = values.size() * static_cast<std::size_t>(bytes);
  while (left > 0) {
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(left, 1u << 30));
    const int got = gzread(file, at, chunk);
    if (got < 0) {
      int code = 0;
      refuseMap(path, std::string("corrupt compressed data: ") + gzerror(file, &code));
    }
    if (got == 0) {
      refuseMap(path, "truncated: the file ends inside its voxel data");
    }
    at += got;
    left -= static_cast<std::size_t>(got);
  }
}

bool isUsable(const Affine& a) {
  for (const auto& row : a) {
    for (double v : row) {
      if (!std::isfinite(v)) {
        return false;
      }
    }
  }
  try {
    invert(a);
  } catch (const std::domain_error&) {
    return false;
  }
  return true;
}

bool isStandardSpace(int code) {
  return code == NIFTI_XFORM_TALAIRACH || code == NIFTI_XFORM_MNI_152 ||
         code == NIFTI_XFORM_TEMPLATE_OTHER;
}

// The sform, or the qform when the sform is unset or unusable.
void chooseTransform(StatMap& map, const std::string& path) {
  const nifti::ImagePtr image = nifti::imageFromHeader(map.header, map.niftiVersion, path);
  map.standardSpace = isStandardSpace(image->sform_code) || isStandardSpace(image->qform_code);
  if (image->sform_code > 0 && isUsable(nifti::toAffine(image->sto_xyz))) {
    map.voxelToWorld = nifti::toAffine(image->sto_xyz);
    map.transform = "sform";
    map.transformCode = nifti_xform_string(image->sform_code);
  } else if (image->qform_code > 0 && isUsable(nifti::toAffine(image->qto_xyz))) {
    map.voxelToWorld = nifti::toAffine(image->qto_xyz);
    map.transform = "qform";
    map.transformCode = nifti_xform_string(image->qform_code);
  } else {
    refuseMap(path, "neither sform nor qform gives a usable orientation");
  }
}

}  // namespace

StatMap readStatMap(const std::string& path, std::int64_t volume) {
  nifti_set_debug_level(0);
  if (std::filesystem::is_directory(path)) {
    refuseMap(path, "is a directory");
  }
  GzPtr file(gzopen(path.c_str(), "rb"));
  if (!file) {
    refuseMap(path, std::string("cannot open: ") + std::strerror(errno));
  }
  gzbuffer(file.get(), 1 << 18);
  StatMap map;
  const MapLayout layout = readMapLayout(file.get(), path, volume, map.header);
  map.niftiVersion = layout.version;
  map.nx = layout.nx;
  map.ny = layout.ny;
  map.nz = layout.nz;
  map.volumes = layout.volumes;
  map.datatype = nifti_datatype_string(layout.datatype);
  chooseTransform(map, path);
  map.values.resize(static_cast<std::size_t>(map.voxelCount()));
  readVoxels(file.get(), layout.volumeOffset, map.values, layout.bytesPerValue, path);
  widenInPlace(map.values, layout.datatype, layout.swapped, layout.slope, layout.inter);
  return map;
}

Vec3 StatMap::voxelSize() const {
  Vec3 size{};
  for (int col = 0; col < 3; ++col) {
    size[col] = std::hypot(voxelToWorld[0][col], voxelToWorld[1][col], voxelToWorld[2][col]);
  }
  return size;
}

double StatMap::voxelVolumeMm3() const {
  return atlas::voxelVolumeMm3(voxelToWorld);
}

double voxelVolumeMm3(const Affine& a) {
  return std::abs(a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                  a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                  a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]));
}

Vec3 StatMap::worldOf(std::int64_t voxel) const {
  const std::int64_t x = voxel % nx, y = voxel / nx % ny, z = voxel / (nx * ny);
  return applyAffine(voxelToWorld,
                     {static_cast<double>(x), static_cast<double>(y), static_cast<double>(z)});
}

}  // namespace atlas
