// The anatomy every figure is drawn over: the Colin head, its brain and the brain's silhouettes.
#include "figures/anatomy.hpp"

#include <cmath>
#include <stdexcept>

#include "imaging/nifti_read.hpp"

namespace figures {
namespace {

// One pass over the extent's millimetre grid fills all three projections at once.
std::array<Silhouette, 3> silhouettesOf(const imaging::Volume<std::uint8_t>& brain,
                                        const Extent& extent) {
  std::array<Silhouette, 3> out;
  for (std::size_t p = 0; p < kPlanes.size(); ++p) {
    out[p].columns = columnsOf(extent, kPlanes[p]);
    out[p].rows = rowsOf(extent, kPlanes[p]);
    out[p].cells.assign(static_cast<std::size_t>(out[p].columns) * out[p].rows, 0);
  }
  const std::array<std::int64_t, 3> lo{std::llround(extent.lo[0]), std::llround(extent.lo[1]),
                                       std::llround(extent.lo[2])};
  const std::array<std::int64_t, 3> hi{std::llround(extent.hi[0]), std::llround(extent.hi[1]),
                                       std::llround(extent.hi[2])};
  for (std::int64_t z = lo[2]; z <= hi[2]; ++z) {
    for (std::int64_t y = lo[1]; y <= hi[1]; ++y) {
      for (std::int64_t x = lo[0]; x <= hi[0]; ++x) {
        if (brain.atIntegerPoint({x, y, z}) == 0) {
          continue;
        }
        const std::array<std::int64_t, 3> world{x, y, z};
        for (std::size_t p = 0; p < kPlanes.size(); ++p) {
          const PlaneAxes axes = axesOf(kPlanes[p]);
          const auto column = world[axes.across] - lo[axes.across];
          const auto row = hi[axes.up] - world[axes.up];
          out[p].cells[static_cast<std::size_t>(row * out[p].columns + column)] = 1;
        }
      }
    }
  }
  return out;
}

}  // namespace

bool Silhouette::at(int column, int row) const {
  return column >= 0 && column < columns && row >= 0 && row < rows &&
         cells[static_cast<std::size_t>(row) * columns + column] != 0;
}

Anatomy anatomyOf(imaging::Volume<std::uint8_t> head, imaging::Volume<std::uint8_t> brain) {
  Anatomy anatomy{std::move(head), std::move(brain), {}, {}};
  anatomy.extent = extentOf(anatomy.head.grid());
  anatomy.silhouettes = silhouettesOf(anatomy.brain, anatomy.extent);
  return anatomy;
}

Anatomy loadAnatomy(const std::filesystem::path& dataDir) {
  // The reader names the file in its message; both templates are 8-bit intensities, read as
  // exactly as labels.
  const imaging::ReadOptions exact{.labels = true};
  return anatomyOf(imaging::readVolume<std::uint8_t>((dataDir / kHeadFile).string(), exact),
                   imaging::readVolume<std::uint8_t>((dataDir / kBrainFile).string(), exact));
}

}  // namespace figures
