// The one reader of NIfTI files: the header, checked field by field against the file before a
// byte of voxel data is allocated, since nifticlib would trust its declared sizes.
#include "imaging/nifti_read.hpp"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "imaging/nifti_header.hpp"

namespace imaging {
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

// The stored type of a real scalar datatype; nothing for complex, RGB and the rest.
std::optional<StoredType> storedTypeOf(int datatype) {
  switch (datatype) {
    case DT_INT8:
    case DT_UINT8:
    case DT_INT16:
    case DT_UINT16:
    case DT_INT32:
    case DT_UINT32:
    case DT_INT64:
    case DT_UINT64:
    case DT_FLOAT32:
    case DT_FLOAT64:
      return static_cast<StoredType>(datatype);
    default:
      return std::nullopt;
  }
}

bool multiplyChecked(std::int64_t a, std::int64_t b, std::int64_t& product) {
  return !__builtin_mul_overflow(a, b, &product);
}

struct HeaderKind {
  int version;
  bool swapped;
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
std::int64_t checkDimensions(const HeaderFields& f, std::int64_t maxVoxels,
                             const std::string& path) {
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
  if (perVolume > maxVoxels) {
    refuse(path, "a volume of " + std::to_string(perVolume) + " voxels is too large");
  }
  return perVolume;
}

// The header's claims against the file's size: where the data starts, how much there is.
// Returns where the voxels to read start.
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
  const std::int64_t counted = compressed && volume != kAllVolumes ? volume + 1 : volumes;
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
  return offset + (volume == kAllVolumes ? 0 : volume) * volumeBytes;
}

bool isStandardSpace(int code) {
  return code == NIFTI_XFORM_TALAIRACH || code == NIFTI_XFORM_MNI_152 ||
         code == NIFTI_XFORM_TEMPLATE_OTHER;
}

bool isIntegerType(StoredType type) {
  return type != StoredType::kFloat32 && type != StoredType::kFloat64;
}

}  // namespace

void NiftiReader::GzCloser::operator()(gzFile_s* file) const {
  gzclose(file);
}

NiftiReader::NiftiReader(std::string path, const ReadOptions& options)
    : path_(std::move(path)), options_(options) {
  nifti_set_debug_level(0);
  if (std::filesystem::is_directory(path_)) {
    refuse("is a directory");
  }
  file_.reset(gzopen(path_.c_str(), "rb"));
  if (!file_) {
    refuse(std::string("cannot open: ") + std::strerror(errno));
  }
  gzbuffer(file_.get(), 1 << 18);
  readHeaderAndLayout();
  if (options_.labels) {
    checkLabels();
  }
  chooseGrid();
}

NiftiReader::~NiftiReader() = default;

void NiftiReader::refuse(const std::string& why) const {
  imaging::refuse(path_, why);
}

void NiftiReader::readHeaderAndLayout() {
  const HeaderKind kind = readHeader(file_.get(), path_, header_.bytes);
  const HeaderFields fields = fieldsOf(header_.bytes, kind.version, path_);
  const std::int64_t perVolume = checkDimensions(fields, options_.maxVoxels, path_);
  const std::optional<StoredType> stored = storedTypeOf(fields.datatype);
  if (!stored) {
    refuse(std::string("voxels are ") + nifti_datatype_string(fields.datatype) +
           ", not a real scalar type");
  }
  header_.version = kind.version;
  header_.stored = *stored;
  header_.datatype = nifti_datatype_string(fields.datatype);
  header_.volumes = 4 <= fields.dim[0] ? fields.dim[4] : 1;
  const std::int64_t volume = options_.volume;
  if (volume != kAllVolumes && (volume < 0 || volume >= header_.volumes)) {
    refuse("volume " + std::to_string(volume) + " asked for, the map has " +
           std::to_string(header_.volumes) + " (numbered from 0)");
  }
  if (!std::isfinite(fields.slope) || !std::isfinite(fields.inter)) {
    refuse("scl_slope or scl_inter is not finite");
  }
  const bool compressed = gzdirect(file_.get()) == 0;
  const int bytesPerValue = visitStoredType(*stored, [](auto value) { return int{sizeof value}; });
  const std::int64_t readOffset = checkDataFits(fields, header_.volumes, perVolume * bytesPerValue,
                                                volume, compressed, path_, kind.version);
  const auto dimOr1 = [&](int axis) { return axis <= fields.dim[0] ? fields.dim[axis] : 1; };
  layout_ = {.size = {dimOr1(1), dimOr1(2), dimOr1(3)},
             .volumesRead = volume == kAllVolumes ? header_.volumes : 1,
             .swapped = kind.swapped,
             .slope = fields.slope,
             .inter = fields.inter,
             .headerBytes = kind.version == 1 ? 348 : 540,
             .voxelOffset = static_cast<std::int64_t>(fields.voxOffset),
             .readOffset = readOffset};
}

// A rescaled label would no longer name its row in the label table, and a label can only be
// an integer.
void NiftiReader::checkLabels() const {
  if (header_.volumes > 1) {
    refuse("more than one volume in the file");
  }
  const bool unscaled = layout_.slope == 0.0 || (layout_.slope == 1.0 && layout_.inter == 0.0);
  if (!unscaled) {
    refuse("labels must not be scaled (scl_slope/scl_inter)");
  }
  if (!isIntegerType(header_.stored) || header_.stored == StoredType::kUInt64) {
    refuse("voxels are " + header_.datatype + ", expected integer labels");
  }
}

void NiftiReader::chooseGrid() {
  const nifti::ImagePtr image = nifti::imageFromHeader(header_.bytes, header_.version, path_);
  const HeaderTransforms transforms{image->sform_code, nifti::toAffine(image->sto_xyz),
                                    image->qform_code, nifti::toAffine(image->qto_xyz)};
  const std::optional<Transform> chosen = chooseTransform(transforms);
  if (!chosen) {
    refuse("neither sform nor qform gives a usable orientation");
  }
  const bool sform = *chosen == Transform::kSform;
  header_.transformCode = nifti_xform_string(sform ? image->sform_code : image->qform_code);
  header_.standardSpace = isStandardSpace(image->sform_code) || isStandardSpace(image->qform_code);
  grid_ =
      Grid(layout_.size, sform ? transforms.sform : transforms.qform, layout_.volumesRead, *chosen);
}

void NiftiReader::skipTo(std::int64_t offset) {
  if (gzseek(file_.get(), static_cast<z_off_t>(offset), SEEK_SET) != static_cast<z_off_t>(offset)) {
    refuse("truncated: the file ends before its voxel data");
  }
}

void NiftiReader::readExactly(void* into, std::size_t bytes, const char* whatEnds) {
  auto* at = static_cast<unsigned char*>(into);
  while (bytes > 0) {
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes, 1u << 30));
    const int got = gzread(file_.get(), at, chunk);
    if (got < 0) {
      int code = 0;
      refuse(std::string("corrupt compressed data: ") + gzerror(file_.get(), &code));
    }
    if (got == 0) {
      refuse(std::string("truncated: the file ends ") + whatEnds);
    }
    at += got;
    bytes -= static_cast<std::size_t>(got);
  }
}

std::string NiftiReader::bytesBeforeVoxels(std::size_t maxBytes) {
  const std::int64_t start = layout_.headerBytes + 4;
  const std::int64_t length = layout_.voxelOffset - start;
  if (length <= 0 || static_cast<std::uint64_t>(length) > maxBytes) {
    return {};
  }
  skipTo(start);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  readExactly(bytes.data(), bytes.size(), "before its voxel data");
  return bytes;
}

}  // namespace imaging
