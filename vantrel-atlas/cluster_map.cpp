// The cluster map as a NIfTI file: each voxel's cluster number on the statistical map's grid.
#include "vantrel-atlas/cluster_map.hpp"

#include <nifti2_io.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

namespace vantrel_atlas {
namespace {

struct ImageDeleter {
  void operator()(nifti_image* image) const { nifti_image_free(image); }
};
using ImagePtr = std::unique_ptr<nifti_image, ImageDeleter>;

[[noreturn]] void fail(const std::string& path, const std::string& why) {
  throw std::runtime_error(path + ": " + why);
}

ImagePtr imageFromHeader(const atlas::StatMap& map, const std::string& path) {
  nifti_image* image =
      map.niftiVersion == 1
          ? nifti_convert_n1hdr2nim(*reinterpret_cast<const nifti_1_header*>(map.header.data()),
                                    path.c_str())
          : nifti_convert_n2hdr2nim(*reinterpret_cast<const nifti_2_header*>(map.header.data()),
                                    path.c_str());
  if (image == nullptr) {
    fail(path, "cannot build a header from the map's");
  }
  return ImagePtr(image);
}

int smallestTypeFor(std::int64_t clusterCount) {
  if (clusterCount <= std::numeric_limits<std::uint8_t>::max()) {
    return DT_UINT8;
  }
  return clusterCount <= std::numeric_limits<std::int16_t>::max() ? DT_INT16 : DT_INT32;
}

// Each voxel's cluster number as a T, in host byte order.
template <typename T>
std::vector<unsigned char> numbersAs(std::int64_t voxelCount,
                                     const std::vector<Cluster>& clusters) {
  std::vector<unsigned char> out(static_cast<std::size_t>(voxelCount) * sizeof(T), 0);
  for (const Cluster& cluster : clusters) {
    const auto number = static_cast<T>(cluster.number);
    for (std::int64_t voxel : cluster.voxels) {
      std::memcpy(&out[static_cast<std::size_t>(voxel) * sizeof(T)], &number, sizeof number);
    }
  }
  return out;
}

std::vector<unsigned char> numbersOf(std::int64_t voxelCount, const std::vector<Cluster>& clusters,
                                     int datatype) {
  switch (datatype) {
    case DT_UINT8:
      return numbersAs<std::uint8_t>(voxelCount, clusters);
    case DT_INT16:
      return numbersAs<std::int16_t>(voxelCount, clusters);
    default:
      return numbersAs<std::int32_t>(voxelCount, clusters);
  }
}

// The header of a 3-D label volume on the map's grid: both transforms, units and pixdim
// as the map had them.
std::vector<unsigned char> headerBytes(nifti_image& image, std::int64_t clusterCount, int datatype,
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
  image.cal_max = static_cast<double>(clusterCount);
  image.intent_code = NIFTI_INTENT_LABEL;
  std::strncpy(image.descrip, "cluster numbers", sizeof image.descrip - 1);
  const bool fitsNifti1 = image.nx <= 32767 && image.ny <= 32767 && image.nz <= 32767;
  std::vector<unsigned char> bytes;
  if (fitsNifti1) {
    image.nifti_type = NIFTI_FTYPE_NIFTI1_1;
    image.iname_offset = 352;
    nifti_1_header h;
    if (nifti_convert_nim2n1hdr(&image, &h) != 0) {
      fail(path, "cannot make a NIfTI-1 header");
    }
    bytes.resize(352);
    std::memcpy(bytes.data(), &h, sizeof h);
  } else {
    image.nifti_type = NIFTI_FTYPE_NIFTI2_1;
    image.iname_offset = 544;
    nifti_2_header h;
    if (nifti_convert_nim2n2hdr(&image, &h) != 0) {
      fail(path, "cannot make a NIfTI-2 header");
    }
    bytes.resize(544);
    std::memcpy(bytes.data(), &h, sizeof h);
  }
  return bytes;  // the four bytes after the header stay zero: no extensions
}

struct GzCloser {
  void operator()(gzFile_s* file) const { gzclose(file); }
};

void writeAll(gzFile_s* file, const unsigned char* data, std::size_t size,
              const std::string& path) {
  while (size > 0) {
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30));
    if (gzwrite(file, data, chunk) != static_cast<int>(chunk)) {
      fail(path, "write failed");
    }
    data += chunk;
    size -= chunk;
  }
}

}  // namespace

void writeClusterMap(const std::string& path, const atlas::StatMap& map,
                     const std::vector<Cluster>& clusters) {
  nifti_set_debug_level(0);
  ImagePtr image = imageFromHeader(map, path);
  const auto clusterCount = static_cast<std::int64_t>(clusters.size());
  const int datatype = smallestTypeFor(clusterCount);
  const std::vector<unsigned char> header = headerBytes(*image, clusterCount, datatype, path);
  const std::vector<unsigned char> voxels = numbersOf(map.voxelCount(), clusters, datatype);
  // Level 1: the map is mostly zeros, and the fastest level already shrinks it a hundredfold.
  std::unique_ptr<gzFile_s, GzCloser> file(gzopen(path.c_str(), "wb1"));
  if (!file) {
    fail(path, std::string("cannot create: ") + std::strerror(errno));
  }
  writeAll(file.get(), header.data(), header.size(), path);
  writeAll(file.get(), voxels.data(), voxels.size(), path);
  if (gzclose(file.release()) != Z_OK) {
    fail(path, "write failed");
  }
}

}  // namespace vantrel_atlas
