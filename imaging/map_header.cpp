// The header of a statistical map file, checked against the file before any voxel is read.
//
// Every size is checked field by field before a byte of voxel data is allocated: the file is
// hostile, and nifticlib would trust its declared sizes.
#include "imaging/map_header.hpp"

#include <nifti2_io.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace atlas {
namespace {

// Deflate cannot expand data by more than about 1032:1, so a compressed file can never hold
// more than this many bytes per byte of its own size.
constexpr std::int64_t kMaxInflation = 1040;
constexpr std::int64_t kInflationSlack = 1 << 16;

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
    refuseMap(path, "not a NIfTI file (shorter than a header)");
  }
  std::int32_t sizeofHdr = 0;
  std::memcpy(&sizeofHdr, header.data(), sizeof sizeofHdr);
  const bool swapped = sizeofHdr != 348 && sizeofHdr != 540;
  if (swapped) {
    sizeofHdr = static_cast<std::int32_t>(__builtin_bswap32(static_cast<std::uint32_t>(sizeofHdr)));
  }
  const int version = sizeofHdr == 348 ? 1 : sizeofHdr == 540 ? 2 : 0;
  if (version == 0) {
    refuseMap(path, "not a NIfTI file");
  }
  if (version == 2) {
    const int rest = static_cast<int>(sizeof(nifti_2_header) - sizeof(nifti_1_header));
    if (gzread(file, header.data() + sizeof(nifti_1_header), rest) != rest) {
      refuseMap(path, "truncated NIfTI-2 header");
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
      refuseMap(path, "a two-file NIfTI pair (.hdr/.img); give a single .nii or .nii.gz file");
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
    refuseMap(path, "not a single-file NIfTI (bad magic)");
  }
  return f;
}

// Checks the dimensions and returns the number of voxels in one 3-D volume.
std::int64_t checkDimensions(const HeaderFields& f, const std::string& path) {
  const std::int64_t rank = f.dim[0];
  if (rank < 1 || rank > 7) {
    refuseMap(path, "dim[0] is " + std::to_string(rank) + ", not 1 to 7");
  }
  std::int64_t total = 1;
  for (std::int64_t axis = 1; axis <= rank; ++axis) {
    if (f.dim[axis] < 1) {
      refuseMap(path, "dim[" + std::to_string(axis) + "] is " + std::to_string(f.dim[axis]));
    }
    if (axis > 4 && f.dim[axis] > 1) {
      refuseMap(path, "more than four dimensions");
    }
    if (!multiplyChecked(total, f.dim[axis], total)) {
      refuseMap(path, "the dimensions' product overflows");
    }
  }
  const auto size = [&](int axis) { return axis <= rank ? f.dim[axis] : 1; };
  const std::int64_t perVolume = size(1) * size(2) * size(3);
  if (perVolume > kMaxMapVoxels) {
    refuseMap(path, "a volume of " + std::to_string(perVolume) + " voxels is too large");
  }
  return perVolume;
}

int checkDatatype(const HeaderFields& f, const std::string& path) {
  const int bytes = bytesPerValue(f.datatype);
  if (bytes == 0) {
    refuseMap(path, std::string("voxels are ") + nifti_datatype_string(f.datatype) +
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
    refuseMap(path, "vox_offset is not a byte offset past the header");
  }
  const auto offset = static_cast<std::int64_t>(f.voxOffset);
  std::error_code error;
  const auto fileBytes = static_cast<std::int64_t>(std::filesystem::file_size(path, error));
  if (error) {
    refuseMap(path, error.message());
  }
  // A compressed file is only checked up to the volume asked for: the rest is never inflated.
  std::int64_t needed = 0;
  const std::int64_t counted = compressed ? volume + 1 : volumes;
  if (!multiplyChecked(counted, volumeBytes, needed) ||
      __builtin_add_overflow(needed, offset, &needed)) {
    refuseMap(path, "the declared data size overflows");
  }
  const std::int64_t available =
      compressed ? fileBytes * kMaxInflation + kInflationSlack : fileBytes;
  if (needed > available) {
    refuseMap(path, "the header declares " + std::to_string(needed) +
                        " bytes, more than the file holds (truncated?)");
  }
  return offset + volume * volumeBytes;
}

}  // namespace

void refuseMap(const std::string& path, const std::string& why) {
  throw std::runtime_error(path + ": " + why);
}

MapLayout readMapLayout(gzFile_s* file, const std::string& path, std::int64_t volume,
                        std::vector<std::byte>& header) {
  const HeaderKind kind = readHeader(file, path, header);
  const HeaderFields fields = fieldsOf(header, kind.version, path);
  const std::int64_t perVolume = checkDimensions(fields, path);
  MapLayout layout;
  layout.version = kind.version;
  layout.swapped = kind.swapped;
  layout.bytesPerValue = checkDatatype(fields, path);
  layout.datatype = fields.datatype;
  const auto dimOr1 = [&](int axis) { return axis <= fields.dim[0] ? fields.dim[axis] : 1; };
  layout.nx = dimOr1(1);
  layout.ny = dimOr1(2);
  layout.nz = dimOr1(3);
  layout.volumes = dimOr1(4);
  if (volume < 0 || volume >= layout.volumes) {
    refuseMap(path, "volume " + std::to_string(volume) + " asked for, the map has " +
                        std::to_string(layout.volumes) + " (numbered from 0)");
  }
  if (!std::isfinite(fields.slope) || !std::isfinite(fields.inter)) {
    refuseMap(path, "scl_slope or scl_inter is not finite");
  }
  layout.slope = fields.slope;
  layout.inter = fields.inter;
  const bool compressed = gzdirect(file) == 0;
  layout.volumeOffset = checkDataFits(fields, layout.volumes, perVolume * layout.bytesPerValue,
                                      volume, compressed, path, kind.version);
  return layout;
}

}  // namespace atlas
