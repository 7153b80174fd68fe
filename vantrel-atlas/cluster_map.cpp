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
  void operator()(nifti_image* image) const {
    image->data = nullptr;  // the voxels belong to the caller
    nifti_image_free(image);
  }
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

// The cluster numbers narrowed to one or two bytes, host order.
std::vector<unsigned char> narrowed(const std::vector<std::int32_t>& clusterMap, int datatype) {
  const std::size_t width = datatype == DT_UINT8 ? 1 : 2;
  std::vector<unsigned char> out(clusterMap.size() * width);
  for (std::size_t i = 0; i < clusterMap.size(); ++i) {
    if (width == 1) {
      out[i] = static_cast<unsigned char>(clusterMap[i]);
    } else {
      const auto value = static_cast<std::int16_t>(clusterMap[i]);
      std::memcpy(&out[i * 2], &value, 2);
    }
  }
  return out;
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
                     const std::vector<std::int32_t>& clusterMap, std::int64_t clusterCount) {
  nifti_set_debug_level(0);
  ImagePtr image = imageFromHeader(map, path);
  const int datatype = smallestTypeFor(clusterCount);
  const std::vector<unsigned char> header = headerBytes(*image, clusterCount, datatype, path);
  // Level 1: the map is mostly zeros, and the fastest level already shrinks it a hundredfold.
  std::unique_ptr<gzFile_s, GzCloser> file(gzopen(path.c_str(), "wb1"));
  if (!file) {
    fail(path, std::string("cannot create: ") + std::strerror(errno));
  }
  writeAll(file.get(), header.data(), header.size(), path);
  if (datatype == DT_INT32) {
    writeAll(file.get(), reinterpret_cast<const unsigned char*>(clusterMap.data()),
             clusterMap.size() * sizeof(std::int32_t), path);
  } else {
    const std::vector<unsigned char> voxels = narrowed(clusterMap, datatype);
    writeAll(file.get(), voxels.data(), voxels.size(), path);
  }
  if (gzclose(file.release()) != Z_OK) {
    fail(path, "write failed");
  }
}

}  // namespace vantrel_atlas
