// A statistical map read from a NIfTI file: one volume of real values on the map's own grid.
//
// The header is checked field by field before a byte of voxel data is allocated: the file is
// hostile, and nifticlib would trust its declared sizes.
#include "atlas/stat_map.hpp"

#include <nifti2_io.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace atlas {
namespace {

// Deflate cannot expand data by more than about 1032:1, so a compressed file can never hold
// more than this many bytes per byte of its own size.
constexpr std::int64_t kMaxInflation = 1040;
constexpr std::int64_t kInflationSlack = 1 << 16;

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
  throw std::runtime_error(path + ": " + why);
}

struct GzCloser {
  void operator()(gzFile_s* file) const { gzclose(file); }
};
using GzPtr = std::unique_ptr<gzFile_s, GzCloser>;

struct ImageDeleter {
  void operator()(nifti_image* image) const { nifti_image_free(image); }
};
using ImagePtr = std::unique_ptr<nifti_image, ImageDeleter>;

// The fields the reader needs, the same for both header versions.
struct HeaderFields {
  std::int64_t dim[8];
  int datatype;
  double voxOffset, slope, inter;
};

int bytesPerValue(int datatype) {
  switch (datatype) {
    case DT_INT8:
    case DT_UINT8:
      return 1;
    case DT_INT16:
    case DT_UINT16:
      return 2;
    case DT_INT32:
    case DT_UINT32:
    case DT_FLOAT32:
      return 4;
    case DT_INT64:
    case DT_UINT64:
    case DT_FLOAT64:
      return 8;
    default:
      return 0;
  }
}

bool multiplyChecked(std::int64_t a, std::int64_t b, std::int64_t& product) {
  return !__builtin_mul_overflow(a, b, &product);
}

struct HeaderKind {
  int version;
  bool swapped;  // the file's byte order is not the host's
};

// Reads the header, in either byte order, and leaves `header` in host order.
HeaderKind readHeader(gzFile_s* file, const std::string& path, std::vector<std::byte>& header) {
  header.resize(sizeof(nifti_2_header));
  const int got = gzread(file, header.data(), sizeof(nifti_1_header));
  if (got < static_cast<int>(sizeof(nifti_1_header))) {
    refuse(path, "not a NIfTI file (shorter than a header)");
  }
  std::int32_t sizeofHdr = 0;
  std::memcpy(&sizeofHdr, header.data(), sizeof sizeofHdr);
  const bool swapped = sizeofHdr != 348 && sizeofHdr != 540;
  if (swapped) {
    sizeofHdr = static_cast<std::int32_t>(__builtin_bswap32(static_cast<std::uint32_t>(sizeofHdr)));
  }
  const int version = sizeofHdr == 348 ? 1 : sizeofHdr == 540 ? 2 : 0;
  if (version == 0) {
    refuse(path, "not a NIfTI file");
  }
  if (version == 2) {
    const int rest = static_cast<int>(sizeof(nifti_2_header) - sizeof(nifti_1_header));
    if (gzread(file, header.data() + sizeof(nifti_1_header), rest) != rest) {
      refuse(path, "truncated NIfTI-2 header");
    }
  } else {
    header.resize(sizeof(nifti_1_header));
  }
  if (swapped) {
    swap_nifti_header(header.data(), version);
  }
  return {version, swapped};
}

HeaderFields fieldsOf(const std::vector<std::byte>& header, int version, const std::string& path) {
  HeaderFields f{};
  bool singleFile = false;
  if (version == 1) {
    nifti_1_header h;
    std::memcpy(&h, header.data(), sizeof h);
    f = {.dim = {},
         .datatype = h.datatype,
         .voxOffset = h.vox_offset,
         .slope = h.scl_slope,
         .inter = h.scl_inter};
    std::copy(std::begin(h.dim), std::end(h.dim), f.dim);
    if (std::memcmp(h.magic, "ni1", 4) == 0) {
      refuse(path, "a two-file NIfTI pair (.hdr/.img); give a single .nii or .nii.gz file");
    }
    singleFile = std::memcmp(h.magic, "n+1", 4) == 0;
  } else {
    nifti_2_header h;
    std::memcpy(&h, header.data(), sizeof h);
    f = {.dim = {},
         .datatype = h.datatype,
         .voxOffset = static_cast<double>(h.vox_offset),
         .slope = h.scl_slope,
         .inter = h.scl_inter};
    std::copy(std::begin(h.dim), std::end(h.dim), f.dim);
    // The standard adds "\r\n\032\n", which nifticlib's own writer leaves out.
    singleFile = std::memcmp(h.magic, "n+2", 4) == 0;
  }
  if (!singleFile) {
    refuse(path, "not a single-file NIfTI (bad magic)");
  }
  return f;
}

// Checks the dimensions and returns the number of voxels in one 3-D volume.
std::int64_t checkDimensions(const HeaderFields& f, const std::string& path) {
  const std::int64_t rank = f.dim[0];
  if (rank < 1 || rank > 7) {
    refuse(path, "dim[0] is " + std::to_string(rank) + ", not 1 to 7");
  }
  std::int64_t total = 1;
  for (std::int64_t axis = 1; axis <= rank; ++axis) {
    if (f.dim[axis] < 1) {
      refuse(path, "dim[" + std::to_string(axis) + "] is " + std::to_string(f.dim[axis]));
    }
    if (axis > 4 && f.dim[axis] > 1) {
      refuse(path, "more than four dimensions");
    }
    if (!multiplyChecked(total, f.dim[axis], total)) {
      refuse(path, "the dimensions' product overflows");
    }
  }
  const auto size = [&](int axis) { return axis <= rank ? f.dim[axis] : 1; };
  const std::int64_t perVolume = size(1) * size(2) * size(3);
  if (perVolume > kMaxMapVoxels) {
    refuse(path, "a volume of " + std::to_string(perVolume) + " voxels is too large");
  }
  return perVolume;
}

int checkDatatype(const HeaderFields& f, const std::string& path) {
  const int bytes = bytesPerValue(f.datatype);
  if (bytes == 0) {
    refuse(path, std::string("voxels are ") + nifti_datatype_string(f.datatype) +
                     ", not a real scalar type");
  }
  return bytes;
}

// The header's claims against the file's size: where the data starts, how much there is.
std::int64_t checkDataFits(const HeaderFields& f, std::int64_t volumes, std::int64_t volumeBytes,
                           std::int64_t volume, bool compressed, const std::string& path,
                           int version) {
  const double minimumOffset = version == 1 ? 348 : 540;
  if (!(f.voxOffset >= minimumOffset && f.voxOffset <= 1e15) ||
      f.voxOffset != std::floor(f.voxOffset)) {
    refuse(path, "vox_offset is not a byte offset past the header");
  }
  const auto offset = static_cast<std::int64_t>(f.voxOffset);
  std::error_code error;
  const auto fileBytes = static_cast<std::int64_t>(std::filesystem::file_size(path, error));
  if (error) {
    refuse(path, error.message());
  }
  // A compressed file is only checked up to the volume asked for: the rest is never inflated.
  std::int64_t needed = 0;
  const std::int64_t counted = compressed ? volume + 1 : volumes;
  if (!multiplyChecked(counted, volumeBytes, needed) ||
      __builtin_add_overflow(needed, offset, &needed)) {
    refuse(path, "the declared data size overflows");
  }
  const std::int64_t available =
      compressed ? fileBytes * kMaxInflation + kInflationSlack : fileBytes;
  if (needed > available) {
    refuse(path, "the header declares " + std::to_string(needed) +
                     " bytes, more than the file holds (truncated?)");
  }
  return offset + volume * volumeBytes;
}

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
    refuse(path, "truncated: the file ends before its voxel data");
  }
  auto* at = reinterpret_cast<unsigned char*>(values.data());
  std::size_t left = values.size() * static_cast<std::size_t>(bytes);
  while (left > 0) {
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(left, 1u << 30));
    const int got = gzread(file, at, chunk);
    if (got < 0) {
      int code = 0;
      refuse(path, std::string("corrupt compressed data: ") + gzerror(file, &code));
    }
    if (got == 0) {
      refuse(path, "truncated: the file ends inside its voxel data");
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

Affine toAffine(const nifti_dmat44& m) {
  Affine a{};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      a[row][col] = m.m[row][col];
    }
  }
  return a;
}

bool isStandardSpace(int code) {
  return code == NIFTI_XFORM_TALAIRACH || code == NIFTI_XFORM_MNI_152 ||
         code == NIFTI_XFORM_TEMPLATE_OTHER;
}

// The sform, or the qform when the sform is unset or unusable.
void chooseTransform(StatMap& map, const std::string& path) {
  const int version = map.niftiVersion;
  ImagePtr image(
      version == 1
          ? nifti_convert_n1hdr2nim(*reinterpret_cast<const nifti_1_header*>(map.header.data()),
                                    path.c_str())
          : nifti_convert_n2hdr2nim(*reinterpret_cast<const nifti_2_header*>(map.header.data()),
                                    path.c_str()));
  if (!image) {
    refuse(path, "nifticlib refuses the header");
  }
  map.standardSpace = isStandardSpace(image->sform_code) || isStandardSpace(image->qform_code);
  if (image->sform_code > 0 && isUsable(toAffine(image->sto_xyz))) {
    map.voxelToWorld = toAffine(image->sto_xyz);
    map.transform = "sform";
    map.transformCode = nifti_xform_string(image->sform_code);
  } else if (image->qform_code > 0 && isUsable(toAffine(image->qto_xyz))) {
    map.voxelToWorld = toAffine(image->qto_xyz);
    map.transform = "qform";
    map.transformCode = nifti_xform_string(image->qform_code);
  } else {
    refuse(path, "neither sform nor qform gives a usable orientation");
  }
  map.transformCode.erase(0, std::string_view("NIFTI_XFORM_").size());
}

}  // namespace

StatMap readStatMap(const std::string& path, std::int64_t volume) {
  nifti_set_debug_level(0);
  if (std::filesystem::is_directory(path)) {
    refuse(path, "is a directory");
  }
  GzPtr file(gzopen(path.c_str(), "rb"));
  if (!file) {
    refuse(path, std::string("cannot open: ") + std::strerror(errno));
  }
  gzbuffer(file.get(), 1 << 18);
  StatMap map;
  const HeaderKind kind = readHeader(file.get(), path, map.header);
  map.niftiVersion = kind.version;
  const HeaderFields fields = fieldsOf(map.header, map.niftiVersion, path);
  const std::int64_t perVolume = checkDimensions(fields, path);
  const int bytes = checkDatatype(fields, path);
  const auto dimOr1 = [&](int axis) { return axis <= fields.dim[0] ? fields.dim[axis] : 1; };
  map.nx = dimOr1(1);
  map.ny = dimOr1(2);
  map.nz = dimOr1(3);
  map.volumes = dimOr1(4);
  if (volume < 0 || volume >= map.volumes) {
    refuse(path, "volume " + std::to_string(volume) + " asked for, the map has " +
                     std::to_string(map.volumes) + " (numbered from 0)");
  }
  if (!std::isfinite(fields.slope) || !std::isfinite(fields.inter)) {
    refuse(path, "scl_slope or scl_inter is not finite");
  }
  chooseTransform(map, path);
  map.datatype = nifti_datatype_string(fields.datatype);
  const bool compressed = gzdirect(file.get()) == 0;
  const std::int64_t offset = checkDataFits(fields, map.volumes, perVolume * bytes, volume,
                                            compressed, path, map.niftiVersion);
  map.values.resize(static_cast<std::size_t>(perVolume));
  readVoxels(file.get(), offset, map.values, bytes, path);
  widenInPlace(map.values, fields.datatype, kind.swapped, fields.slope, fields.inter);
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
