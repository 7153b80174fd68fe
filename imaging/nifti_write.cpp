// The one writer of NIfTI files, through nifticlib's header structures: label volumes on the
// grid of a file read before, and float volumes made in memory.
#include "imaging/nifti_write.hpp"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

#include "imaging/nifti_header.hpp"

namespace imaging {
namespace {

constexpr int kNifti1VoxelOffset = 352;  // the header and four zero bytes: no extensions
constexpr int kNifti2VoxelOffset = 544;

// The header bytes up to the voxels, which start at `voxelOffset`.
template <typename Header>
std::vector<unsigned char> headerAs(nifti_image& image, int niftiType, int voxelOffset,
                                    int (*convert)(const nifti_image*, Header*),
                                    const std::string& path) {
  image.nifti_type = niftiType;
  image.iname_offset = voxelOffset;
  Header header;
  if (convert(&image, &header) != 0) {
    refuse(path, "cannot make a NIfTI header");
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(voxelOffset), 0);
  std::memcpy(bytes.data(), &header, sizeof header);
  return bytes;
}

// The header of a 3-D label volume on the grid of `image`, whose transforms, units and voxel
// sizes stay as they were.
std::vector<unsigned char> labelHeader(nifti_image& image, int datatype, const LabelFields& fields,
                                       const std::string& path) {
  image.ndim = image.dim[0] = 3;
  for (int axis = 4; axis <= 7; ++axis) {
    image.dim[axis] = 1;
  }
  nifti_update_dims_from_array(&image);
  image.datatype = datatype;
  nifti_datatype_sizes(datatype, &image.nbyper, &image.swapsize);
  image.scl_slope = 0;
  image.scl_inter = 0;
  image.cal_min = 0;
  image.cal_max = fields.largestLabel;
  image.intent_code = NIFTI_INTENT_LABEL;
  std::strncpy(image.descrip, fields.description.c_str(), sizeof image.descrip - 1);
  const bool fitsNifti1 = image.nx <= 32767 && image.ny <= 32767 && image.nz <= 32767;
  return fitsNifti1 ? headerAs<nifti_1_header>(image, NIFTI_FTYPE_NIFTI1_1, kNifti1VoxelOffset,
                                               nifti_convert_nim2n1hdr, path)
                    : headerAs<nifti_2_header>(image, NIFTI_FTYPE_NIFTI2_1, kNifti2VoxelOffset,
                                               nifti_convert_nim2n2hdr, path);
}

struct GzCloser {
  void operator()(gzFile_s* file) const { gzclose(file); }
};

void writeAll(gzFile_s* file, const void* bytes, std::size_t size, const std::string& path) {
  const auto* data = static_cast<const unsigned char*>(bytes);
  while (size > 0) {
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30));
    if (gzwrite(file, data, chunk) != static_cast<int>(chunk)) {
      refuse(path, "write failed");
    }
    data += chunk;
    size -= chunk;
  }
}

short sformCodeOf(Space space) {
  switch (space) {
    case Space::kMni152:
      break;
  }
  return NIFTI_XFORM_MNI_152;
}

// A float32 volume's NIfTI-1 header, field by field: nifticlib's conversion from an image
// would set `regular`, leave dim[4..7] and pixdim[0] at 0, and so change the viewer's files.
nifti_1_header floatHeader(const Grid& grid, Space space) {
  nifti_1_header h;
  std::memset(&h, 0, sizeof h);
  h.sizeof_hdr = sizeof h;
  h.dim[0] = 3;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    h.dim[axis + 1] = static_cast<short>(grid.size()[axis]);
  }
  std::fill(h.dim + 4, h.dim + 8, 1);
  h.datatype = DT_FLOAT32;
  h.bitpix = 32;
  h.pixdim[0] = 1.0F;  // qfac
  const Vec3 voxelSize = grid.voxelSize();
  for (std::size_t axis = 0; axis < 3; ++axis) {
    h.pixdim[axis + 1] = static_cast<float>(voxelSize[axis]);
  }
  h.vox_offset = kNifti1VoxelOffset;
  h.scl_slope = 1.0F;
  h.xyzt_units = NIFTI_UNITS_MM;
  h.sform_code = sformCodeOf(space);
  float* rows[3] = {h.srow_x, h.srow_y, h.srow_z};
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t column = 0; column < 4; ++column) {
      rows[row][column] = static_cast<float>(grid.voxelToWorld()[row][column]);
    }
  }
  std::memcpy(h.magic, "n+1", 4);
  return h;
}

}  // namespace

template <typename T>
void writeLabelsLike(const std::string& path, const Volume<T>& labels, const NiftiHeader& like,
                     const LabelFields& fields) {
  nifti_set_debug_level(0);
  const nifti::ImagePtr image = nifti::imageFromHeader(like.bytes, like.version, path);
  const std::vector<unsigned char> header =
      labelHeader(*image, nifti::datatypeOf<T>(), fields, path);
  // Level 1: label volumes are mostly zeros, and the fastest level already shrinks them a
  // hundredfold.
  std::unique_ptr<gzFile_s, GzCloser> file(gzopen(path.c_str(), "wb1"));
  if (!file) {
    refuse(path, std::string("cannot create: ") + std::strerror(errno));
  }
  writeAll(file.get(), header.data(), header.size(), path);
  writeAll(file.get(), labels.values().data(), labels.values().size() * sizeof(T), path);
  if (gzclose(file.release()) != Z_OK) {
    refuse(path, "write failed");
  }
}

template void writeLabelsLike(const std::string&, const Volume<std::uint8_t>&, const NiftiHeader&,
                              const LabelFields&);
template void writeLabelsLike(const std::string&, const Volume<std::int16_t>&, const NiftiHeader&,
                              const LabelFields&);
template void writeLabelsLike(const std::string&, const Volume<std::int32_t>&, const NiftiHeader&,
                              const LabelFields&);

std::vector<std::uint8_t> gzippedNifti(const Volume<float>& volume, Space space) {
  const Grid& grid = volume.grid();
  const bool fits = std::all_of(grid.size().begin(), grid.size().end(), [](std::int64_t n) {
    return n > 0 && n <= std::numeric_limits<short>::max();
  });
  const std::size_t valueBytes = volume.values().size() * sizeof(float);
  if (!fits || grid.volumes() != 1 || valueBytes > std::numeric_limits<uInt>::max() / 2) {
    throw std::runtime_error("the volume does not fit a NIfTI-1 file compressed in memory");
  }
  std::vector<unsigned char> header(kNifti1VoxelOffset, 0);
  const nifti_1_header fields = floatHeader(grid, space);
  std::memcpy(header.data(), &fields, sizeof fields);
  z_stream stream{};
  constexpr int kGzipWindow = 15 + 16;
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindow, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("cannot start compressing a NIfTI volume");
  }
  std::vector<std::uint8_t> out(deflateBound(&stream, header.size() + valueBytes));
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const auto feed = [&](const void* data, std::size_t size, int flush) {
    stream.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    stream.avail_in = static_cast<uInt>(size);
    return deflate(&stream, flush);
  };
  const bool done = feed(header.data(), header.size(), Z_NO_FLUSH) == Z_OK &&
                    feed(volume.values().data(), valueBytes, Z_FINISH) == Z_STREAM_END;
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (!done) {
    throw std::runtime_error("cannot compress a NIfTI volume");
  }
  return out;
}

}  // namespace imaging
