// The anatomy every figure is drawn over: the Colin head, its brain and the brain's silhouettes.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "figures/slice.hpp"
#include "imaging/volume.hpp"

namespace figures {

// One cell per square millimetre of a panel, 1 where the brain projects onto it.
struct Silhouette {
  int columns = 0, rows = 0;
  std::vector<std::uint8_t> cells;
  bool at(int column, int row) const;
};

struct Anatomy {
  imaging::Volume<std::uint8_t> head;   // the slices' background
  imaging::Volume<std::uint8_t> brain;  // the same head with everything outside the brain zeroed
  Extent extent;
  std::array<Silhouette, 3> silhouettes;  // in the order of kPlanes
};

inline constexpr const char* kHeadFile = "ch2.nii.gz";
inline constexpr const char* kBrainFile = "ch2bet.nii.gz";

// Reads kHeadFile and kBrainFile from the data folder; throws std::runtime_error naming the
// file that could not be read.
Anatomy loadAnatomy(const std::filesystem::path& dataDir);

// Builds an anatomy from volumes already in memory; both must share one grid.
Anatomy anatomyOf(imaging::Volume<std::uint8_t> head, imaging::Volume<std::uint8_t> brain);

}  // namespace figures
