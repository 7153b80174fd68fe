// The cluster map as a NIfTI file: each voxel's cluster number on the statistical map's grid.
#include "maps/cluster_map.hpp"

#include <nifti2_io.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

#include "imaging/nifti_header.hpp"

namespace vantrel_atlas {
namespace {

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

// The header bytes up to the voxels, which start at `voxelOffset`: the four bytes after the
// header stay zero, for no extensions.
template <typename Header>
std::vector<unsigned char> headerAs(nifti_image& image, int niftiType, int voxelOffset,
                                    int (*convert)(const nifti_image*, Header*),
                                    const std::string& path) {
  image.nifti_type = niftiType;
  image.iname_offset = voxelOffset;
  Header header;
  if (convert(&image, &header) != 0) {
    atlas::nifti::refuse(path, "cannot make a NIfTI header");
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(voxelOffset), 0);
  std::memcpy(bytes.data(), &header, sizeof header);
  return bytes;
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
  return fitsNifti1 ? headerAs<nifti_1_header>(image, NIFTI_FTYPE_NIFTI1_1, 352,
                                               nifti_convert_nim2n1hdr, path)
                    : headerAs<nifti_2_header>(image, NIFTI_FTYPE_NIFTI2_1, 544,
                                               nifti_convert_nim2n2hdr, path);
}

struct GzCloser {
  void operator()(gzFile_s* file) const { gzclose(file); }
};

void writeAll(gzFile_s* file, const unsigned char* data, std::size_t size,
              const std::string& path) {
  while (size > 0) {
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30));
    if (gzwrite(file, data, chunk) != static_cast<int>(chunk)) {
      atlas::nifti::refuse(path, "write failed");
    }
    data += chunk;
    size -= chunk;
  }
}

}  // namespace

void writeClusterMap(const std::string& path, const atlas::StatMap& map,
                     const std::vector<Cluster>& clusters) {
  nifti_set_debug_level(0);
  const atlas::nifti::ImagePtr image =
      atlas::nifti::imageFromHeader(map.header, map.niftiVersion, path);
  const auto clusterCount = static_cast<std::int64_t>(clusters.size());
  const int datatype = smallestTypeFor(clusterCount);
  const std::vector<unsigned char> header = headerBytes(*image, clusterCount, datatype, path);
  const std::vector<unsigned char> voxels = numbersOf(map.voxelCount(), clusters, datatype);
  // Level 1: the map is mostly zeros, and the fastest level already shrinks it a hundredfold.
  std::unique_ptr<gzFile_s, GzCloser> file(gzopen(path.c_str(), "wb1"));
  if (!file) {
    atlas::nifti::refuse(path, std::string("cannot create: ") + std::strerror(errno));
  }
  writeAll(file.get(), header.data(), header.size(), path);
  writeAll(file.get(), voxels.data(), voxels.size(), path);
  if (gzclose(file.release()) != Z_OK) {
    atlas::nifti::refuse(path, "write failed");
  }
}

}  // namespace vantrel_atlas
