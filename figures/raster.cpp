// Pixel layers of a panel, painted into cairo image surfaces before they are placed.
#include "figures/raster.hpp"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "figures/palette.hpp"

namespace figures {
namespace {

// Direct access to an image surface's ARGB32 words.
class Pixels {
 public:
  Pixels(int width, int height)
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)) {
    if (cairo_surface_status(surface_.get()) != CAIRO_STATUS_SUCCESS) {
      throw std::runtime_error("cannot allocate a figure layer");
    }
    cairo_surface_flush(surface_.get());
    data_ = cairo_image_surface_get_data(surface_.get());
    stride_ = cairo_image_surface_get_stride(surface_.get());
  }

  void set(int x, int y, std::uint32_t colour) {
    reinterpret_cast<std::uint32_t*>(data_ + static_cast<std::ptrdiff_t>(y) * stride_)[x] = colour;
  }

  void fillBlock(int column, int row, int scale, std::uint32_t colour) {
    for (int dy = 0; dy < scale; ++dy) {
      for (int dx = 0; dx < scale; ++dx) {
        set(column * scale + dx, row * scale + dy, colour);
      }
    }
  }

  // The one-pixel edge of a cell's block on each side where `differs(dc, dr)` holds.
  template <typename Differs>
  void edgeBlock(int column, int row, int scale, std::uint32_t colour, Differs differs) {
    const int x0 = column * scale, y0 = row * scale, last = scale - 1;
    for (int d = 0; d < scale; ++d) {
      if (differs(-1, 0))
        set(x0, y0 + d, colour);
      if (differs(1, 0))
        set(x0 + last, y0 + d, colour);
      if (differs(0, -1))
        set(x0 + d, y0, colour);
      if (differs(0, 1))
        set(x0 + d, y0 + last, colour);
    }
  }

  Surface done() {
    cairo_surface_mark_dirty(surface_.get());
    return std::move(surface_);
  }

 private:
  Surface surface_;
  unsigned char* data_ = nullptr;
  int stride_ = 0;
};

// Values per cell of a panel, with a one-cell margin so that neighbours are always there.
template <typename T>
class CellGrid {
 public:
  CellGrid(int columns, int rows, T fill)
      : columns_(columns), cells_(static_cast<std::size_t>(columns + 2) * (rows + 2), fill) {}
  T& at(int column, int row) {
    return cells_[static_cast<std::size_t>(row + 1) * (columns_ + 2) + column + 1];
  }

 private:
  int columns_;
  std::vector<T> cells_;
};

std::uint32_t statisticColour(const Overlay& overlay, float value) {
  const double t = overlay.rampOf(value);
  return palette::packed(value > 0 ? palette::heat(t) : palette::cold(t));
}

}  // namespace

Surface backgroundSlice(const Anatomy& anatomy, Plane plane, double depth) {
  const int columns = columnsOf(anatomy.extent, plane), rows = rowsOf(anatomy.extent, plane);
  Pixels pixels(columns, rows);
  forEachCell(anatomy.extent, plane, depth, [&](int column, int row, const Vec3& world) {
    pixels.set(column, row, palette::packed(palette::grey(anatomy.head.atWorld(world))));
  });
  return pixels.done();
}

Surface detailSlice(const Anatomy& anatomy, Plane plane, double depth, int scale,
                    const RegionLookup& regions, const Overlay* overlay) {
  const int columns = columnsOf(anatomy.extent, plane), rows = rowsOf(anatomy.extent, plane);
  CellGrid<int> labels(columns, rows, 0);
  Pixels pixels(columns * scale, rows * scale);
  forEachCell(anatomy.extent, plane, depth, [&](int column, int row, const Vec3& world) {
    labels.at(column, row) = regions ? regions(world) : 0;
    const float value = overlay ? overlay->valueAt(world) : 0.0f;
    if (value != 0) {
      pixels.fillBlock(column, row, scale, statisticColour(*overlay, value));
    }
  });
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const int label = labels.at(column, row);
      if (label != 0) {
        pixels.edgeBlock(column, row, scale, palette::packed(palette::region(label)),
                         [&](int dc, int dr) { return labels.at(column + dc, row + dr) != label; });
      }
    }
  }
  return pixels.done();
}

Surface glassSlice(const Anatomy& anatomy, Plane plane, int scale, const Overlay* overlay) {
  const auto& silhouette = anatomy.silhouettes[static_cast<std::size_t>(plane)];
  const int columns = silhouette.columns, rows = silhouette.rows;
  Pixels pixels(columns * scale, rows * scale);
  const std::uint32_t fill = palette::packed(palette::kGlassFill);
  const std::uint32_t edge = palette::packed(palette::kGlassEdge);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      if (silhouette.at(column, row)) {
        pixels.fillBlock(column, row, scale, fill);
        pixels.edgeBlock(column, row, scale, edge,
                         [&](int dc, int dr) { return !silhouette.at(column + dc, row + dr); });
      }
    }
  }
  if (overlay == nullptr) {
    return pixels.done();
  }
  // The most extreme value along each line of sight, whatever its sign.
  CellGrid<float> projection(columns, rows, 0.0f);
  const PlaneAxes axes = axesOf(plane);
  const Extent& extent = anatomy.extent;
  const auto cellRange = [&](double centre, double size, double origin, int count) {
    const int first = static_cast<int>(std::ceil(centre - size / 2 - origin));
    const int last = static_cast<int>(std::ceil(centre + size / 2 - origin)) - 1;
    return std::pair{std::max(first, 0), std::min(last, count - 1)};
  };
  overlay->forEachVoxel([&](const Vec3& world, float value) {
    const auto [c0, c1] = cellRange(world[axes.across], overlay->voxelSize()[axes.across],
                                    extent.lo[axes.across], columns);
    const auto [r0, r1] =
        cellRange(-world[axes.up], overlay->voxelSize()[axes.up], -extent.hi[axes.up], rows);
    for (int row = r0; row <= r1; ++row) {
      for (int column = c0; column <= c1; ++column) {
        float& cell = projection.at(column, row);
        if (std::abs(value) > std::abs(cell)) {
          cell = value;
        }
      }
    }
  });
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const float value = projection.at(column, row);
      if (value != 0) {
        pixels.fillBlock(column, row, scale, statisticColour(*overlay, value));
      }
    }
  }
  return pixels.done();
}

}  // namespace figures
