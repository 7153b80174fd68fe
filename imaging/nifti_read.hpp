// The one reader of NIfTI files: NIfTI-1 and NIfTI-2, .nii and .nii.gz, either byte order,
// every real scalar type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "imaging/volume.hpp"

struct gzFile_s;

namespace imaging {

// Volumes larger than this are refused before anything is allocated.
inline constexpr std::int64_t kMaxVoxels = (std::int64_t{1} << 31) - 1;
// The volume to read for every volume of a file.
inline constexpr std::int64_t kAllVolumes = -1;

// Throws std::runtime_error("path: why"), the one form of every refusal of a file.
[[noreturn]] void refuse(const std::string& path, const std::string& why);

struct ReadOptions {
  std::int64_t volume = 0;  // numbered from 0, or kAllVolumes
  // Integer labels kept exact: one unscaled volume of an integer type, read into a type that
  // holds every value of it.
  bool labels = false;
  std::int64_t maxVoxels = kMaxVoxels;  // in one volume
};

// The real scalar types a file can store, by their NIfTI datatype codes.
enum class StoredType {
  kUInt8 = 2,
  kInt16 = 4,
  kInt32 = 8,
  kFloat32 = 16,
  kFloat64 = 64,
  kInt8 = 256,
  kUInt16 = 512,
  kUInt32 = 768,
  kInt64 = 1024,
  kUInt64 = 1280,
};

// Calls visit(S{}) with S the C++ type of a stored type.
template <typename Visit>
decltype(auto) visitStoredType(StoredType type, Visit&& visit) {
  switch (type) {
    case StoredType::kInt8:
      return visit(std::int8_t{});
    case StoredType::kUInt8:
      return visit(std::uint8_t{});
    case StoredType::kInt16:
      return visit(std::int16_t{});
    case StoredType::kUInt16:
      return visit(std::uint16_t{});
    case StoredType::kInt32:
      return visit(std::int32_t{});
    case StoredType::kUInt32:
      return visit(std::uint32_t{});
    case StoredType::kInt64:
      return visit(std::int64_t{});
    case StoredType::kUInt64:
      return visit(std::uint64_t{});
    case StoredType::kFloat32:
      return visit(float{});
    case StoredType::kFloat64:
      break;
  }
  return visit(double{});
}

// What a file's header says beside its grid.
struct NiftiHeader {
  int version = 1;  // NIfTI-1 or NIfTI-2
  StoredType stored = StoredType::kUInt8;
  std::string datatype;        // the NIfTI name of the stored type, such as "INT16"
  std::int64_t volumes = 1;    // the fourth dimension of the file
  std::string transformCode;   // the chosen transform's code name: "MNI_152", "Aligned Anat", ...
  bool standardSpace = false;  // whether either transform's code names a standard space
  // The header in host byte order, so that files written on this grid can keep it.
  std::vector<std::byte> bytes;
};

class NiftiReader {
 public:
  // Opens `path` and checks every size its header declares against the file before anything
  // is allocated: the file is hostile. Throws std::runtime_error with a one-line reason that
  // starts with the path, as every refusal of the reader does.
  explicit NiftiReader(std::string path, const ReadOptions& options = {});
  ~NiftiReader();
  NiftiReader(const NiftiReader&) = delete;
  NiftiReader& operator=(const NiftiReader&) = delete;

  // The grid of the volumes to be read: one, or all of the file's.
  const Grid& grid() const { return grid_; }
  const NiftiHeader& header() const { return header_; }

  // The bytes between the header's four extension bytes and the voxels, where some atlases
  // keep their label names; empty where there are none or more than `maxBytes`. Before read.
  std::string bytesBeforeVoxels(std::size_t maxBytes);

  // The voxels, each converted to T: exact for labels, into an integer T; else into a floating
  // T, scaled by scl_slope and scl_inter (a slope of 0 means none). Once.
  template <typename T>
  Volume<T> read();

  // Calls visit(read<S>()) with S the stored type: labels read without widening.
  template <typename Visit>
  decltype(auto) readStored(Visit&& visit);

  // The volumes to be read, one at a time, so that a 4D file is never held whole: each call
  // fills `values` with the next volume, converted as read<T> converts, and returns false once
  // every volume has been read. An integer T needs an unscaled file. Not with read.
  template <typename T>
  bool readNextVolume(std::vector<T>& values);

  // Calls visit(volume, std::span<const T>) for each volume in turn, numbered from 0.
  template <typename T, typename Visit>
  void readVolumes(Visit&& visit);

  // readVolumes with T the stored type, so that no volume is widened, or float where the file
  // scales its values.
  template <typename Visit>
  void readVolumesAsStored(Visit&& visit);

 private:
  struct GzCloser {
    void operator()(gzFile_s* file) const;
  };
  struct Layout {
    Index3 size{};
    std::int64_t volumesRead = 1;
    bool swapped = false;  // the file's byte order is not the host's
    double slope = 0, inter = 0;
    // In the file's uncompressed bytes: the header's end, the voxels' start, and the start of
    // the volumes to read.
    std::int64_t headerBytes = 0, voxelOffset = 0, readOffset = 0;
  };

  [[noreturn]] void refuse(const std::string& why) const;
  bool scales() const;
  void readHeaderAndLayout();
  void chooseGrid();
  void checkLabels() const;
  void readExactly(void* into, std::size_t bytes, const char* whatEnds);
  void skipTo(std::int64_t offset);
  template <typename Stored, typename T>
  void readValues(std::vector<T>& values);

  std::string path_;
  ReadOptions options_;
  std::unique_ptr<gzFile_s, GzCloser> file_;
  Layout layout_;
  NiftiHeader header_;
  Grid grid_;
  bool read_ = false;
  std::int64_t volumesStreamed_ = 0;
};

template <typename Visit>
decltype(auto) NiftiReader::readStored(Visit&& visit) {
  return visitStoredType(header_.stored,
                         [&](auto stored) { return visit(read<decltype(stored)>()); });
}

template <typename T, typename Visit>
void NiftiReader::readVolumes(Visit&& visit) {
  std::vector<T> values;
  for (std::int64_t volume = 0; readNextVolume(values); ++volume) {
    visit(volume, std::span<const T>(values));
  }
}

template <typename Visit>
void NiftiReader::readVolumesAsStored(Visit&& visit) {
  if (scales()) {
    readVolumes<float>(visit);
    return;
  }
  visitStoredType(header_.stored, [&](auto stored) { readVolumes<decltype(stored)>(visit); });
}

// One file's volume, or volumes, at once.
template <typename T>
Volume<T> readVolume(const std::string& path, const ReadOptions& options = {}) {
  return NiftiReader(path, options).read<T>();
}

}  // namespace imaging
