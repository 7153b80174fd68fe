// The NIfTI reader's voxels: read in the stored type, in either byte order, and converted to
// the type asked for.
#include <zlib.h>

#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "imaging/nifti_header.hpp"
#include "imaging/nifti_read.hpp"

namespace imaging {
namespace {

// Converted a slice at a time, so that a file of another type needs no second copy of itself.
constexpr std::size_t kValuesPerSlice = std::size_t{1} << 16;

template <typename T>
T byteSwapped(T value) {
  if constexpr (sizeof(T) == 1) {
    return value;
  } else if constexpr (sizeof(T) == 2) {
    return std::bit_cast<T>(__builtin_bswap16(std::bit_cast<std::uint16_t>(value)));
  } else if constexpr (sizeof(T) == 4) {
    return std::bit_cast<T>(__builtin_bswap32(std::bit_cast<std::uint32_t>(value)));
  } else {
    return std::bit_cast<T>(__builtin_bswap64(std::bit_cast<std::uint64_t>(value)));
  }
}

// Whether every value of Stored is a T.
template <typename Stored, typename T>
constexpr bool holdsEvery() {
  if constexpr (std::is_integral_v<Stored> && std::is_integral_v<T>) {
    return std::in_range<T>(std::numeric_limits<Stored>::min()) &&
           std::in_range<T>(std::numeric_limits<Stored>::max());
  }
  return std::is_same_v<Stored, T>;
}

}  // namespace

template <typename Stored, typename T>
void NiftiReader::readValues(std::vector<T>& values) {
  if constexpr (std::is_integral_v<T>) {
    if (!holdsEvery<Stored, T>()) {
      refuse("voxels are " + header_.datatype + ", expected " +
             nifti_datatype_string(nifti::datatypeOf<T>()) + " labels");
    }
  }
  const bool scaled = scales();
  if (std::is_same_v<Stored, T> && !layout_.swapped && !scaled) {
    readExactly(values.data(), values.size() * sizeof(T), "inside its voxel data");
    return;
  }
  std::vector<Stored> slice(std::min(values.size(), kValuesPerSlice));
  for (std::size_t done = 0; done < values.size(); done += slice.size()) {
    slice.resize(std::min(slice.size(), values.size() - done));
    readExactly(slice.data(), slice.size() * sizeof(Stored), "inside its voxel data");
    for (std::size_t i = 0; i < slice.size(); ++i) {
      const Stored raw = layout_.swapped ? byteSwapped(slice[i]) : slice[i];
      if constexpr (std::is_floating_point_v<T>) {
        const auto value = static_cast<double>(raw);
        values[done + i] = static_cast<T>(scaled ? value * layout_.slope + layout_.inter : value);
      } else {
        values[done + i] = static_cast<T>(raw);
      }
    }
  }
}

bool NiftiReader::scales() const {
  return !options_.labels && layout_.slope != 0.0 &&
         !(layout_.slope == 1.0 && layout_.inter == 0.0);
}

template <typename T>
Volume<T> NiftiReader::read() {
  if (std::is_integral_v<T> != options_.labels || read_ || volumesStreamed_ > 0) {
    throw std::logic_error("a NIfTI file is read once, into integers exactly when as labels");
  }
  read_ = true;
  skipTo(layout_.readOffset);
  std::vector<T> values(static_cast<std::size_t>(grid_.voxelCount() * grid_.volumes()));
  visitStoredType(header_.stored, [&](auto stored) { readValues<decltype(stored)>(values); });
  return Volume<T>(grid_, std::move(values));
}

template <typename T>
bool NiftiReader::readNextVolume(std::vector<T>& values) {
  if (read_ || (std::is_integral_v<T> && scales())) {
    throw std::logic_error("volumes are streamed once, not after read, and scaled as floats");
  }
  if (volumesStreamed_ == layout_.volumesRead) {
    return false;
  }
  if (volumesStreamed_ == 0) {
    skipTo(layout_.readOffset);
  }
  values.resize(static_cast<std::size_t>(grid_.voxelCount()));
  visitStoredType(header_.stored, [&](auto stored) { readValues<decltype(stored)>(values); });
  ++volumesStreamed_;
  return true;
}

template Volume<std::int8_t> NiftiReader::read();
template Volume<std::uint8_t> NiftiReader::read();
template Volume<std::int16_t> NiftiReader::read();
template Volume<std::uint16_t> NiftiReader::read();
template Volume<std::int32_t> NiftiReader::read();
template Volume<std::uint32_t> NiftiReader::read();
template Volume<std::int64_t> NiftiReader::read();
template Volume<std::uint64_t> NiftiReader::read();
template Volume<float> NiftiReader::read();
template Volume<double> NiftiReader::read();

template bool NiftiReader::readNextVolume(std::vector<std::int8_t>&);
template bool NiftiReader::readNextVolume(std::vector<std::uint8_t>&);
template bool NiftiReader::readNextVolume(std::vector<std::int16_t>&);
template bool NiftiReader::readNextVolume(std::vector<std::uint16_t>&);
template bool NiftiReader::readNextVolume(std::vector<std::int32_t>&);
template bool NiftiReader::readNextVolume(std::vector<std::uint32_t>&);
template bool NiftiReader::readNextVolume(std::vector<std::int64_t>&);
template bool NiftiReader::readNextVolume(std::vector<std::uint64_t>&);
template bool NiftiReader::readNextVolume(std::vector<float>&);
template bool NiftiReader::readNextVolume(std::vector<double>&);

}  // namespace imaging
