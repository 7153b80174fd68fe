// Volumes made for the report's viewer: gzip-compressed NIfTI-1 bytes, loaded like the atlases.
#include "report/viewer_volume.hpp"

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace report {
namespace {

constexpr std::size_t kHeaderBytes = 348;
constexpr std::size_t kVoxelOffset = 352;  // the header and an empty extension flag
constexpr std::int16_t kFloat32 = 16;
constexpr std::int16_t kMniXform = 4;
constexpr char kMillimetres = 2;

template <typename T>
void put(std::vector<std::uint8_t>& bytes, std::size_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

std::vector<std::uint8_t> niftiHeader(const FloatGrid& grid) {
  std::vector<std::uint8_t> header(kVoxelOffset, 0);
  put<std::int32_t>(header, 0, static_cast<std::int32_t>(kHeaderBytes));
  put<std::int16_t>(header, 40, 3);
  for (std::size_t axis = 0; axis < 3; ++axis) {
    put<std::int16_t>(header, 42 + 2 * axis, static_cast<std::int16_t>(grid.dims[axis]));
  }
  for (std::size_t axis = 3; axis < 7; ++axis) {
    put<std::int16_t>(header, 42 + 2 * axis, 1);
  }
  put<std::int16_t>(header, 70, kFloat32);
  put<std::int16_t>(header, 72, 32);
  put<float>(header, 76, 1.0F);  // qfac
  for (std::size_t axis = 0; axis < 3; ++axis) {
    const auto& m = grid.voxelToWorld;
    const double size = std::hypot(m[0][axis], m[1][axis], m[2][axis]);
    put<float>(header, 80 + 4 * axis, static_cast<float>(size));
  }
  put<float>(header, 108, static_cast<float>(kVoxelOffset));
  put<float>(header, 112, 1.0F);  // scl_slope: values are stored as they are
  header[123] = kMillimetres;
  // Every table of the report reads the map's world as MNI; the viewer does the same.
  put<std::int16_t>(header, 254, kMniXform);
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t column = 0; column < 4; ++column) {
      put<float>(header, 280 + 16 * row + 4 * column,
                 static_cast<float>(grid.voxelToWorld[row][column]));
    }
  }
  std::memcpy(header.data() + 344, "n+1", 4);
  return header;
}

std::vector<std::uint8_t> gzip(const std::vector<std::uint8_t>& header,
                               const std::vector<float>& values) {
  const std::size_t valueBytes = values.size() * sizeof(float);
  if (valueBytes > std::numeric_limits<uInt>::max() / 2) {
    throw std::runtime_error("the viewer's volume is too large to carry in the report");
  }
  z_stream stream{};
  constexpr int kGzipWindow = 15 + 16;
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindow, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("cannot start compressing the viewer's volume");
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
                    feed(values.data(), valueBytes, Z_FINISH) == Z_STREAM_END;
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (!done) {
    throw std::runtime_error("cannot compress the viewer's volume");
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> gzippedNifti(const FloatGrid& grid) {
  const std::int64_t voxels = grid.dims[0] * grid.dims[1] * grid.dims[2];
  const bool fits = grid.dims[0] > 0 && grid.dims[1] > 0 && grid.dims[2] > 0 &&
                    grid.dims[0] <= INT16_MAX && grid.dims[1] <= INT16_MAX &&
                    grid.dims[2] <= INT16_MAX;
  if (!fits || static_cast<std::uint64_t>(voxels) != grid.values.size()) {
    throw std::runtime_error("the viewer's volume does not fill its grid");
  }
  return gzip(niftiHeader(grid), grid.values);
}

}  // namespace report
