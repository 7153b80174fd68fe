// Where the panels and the caption of a figure lie, and the pixel of any world point.
#include "figures/layout.hpp"

#include <algorithm>

namespace figures {

FigureLayout::FigureLayout(const Extent& extent, int captionLines) : extent_(extent) {
  double rowHeight = 0;
  for (const Plane plane : kPlanes) {
    rowHeight = std::max(rowHeight, static_cast<double>(rowsOf(extent, plane) * kScale));
  }
  double x = kMargin;
  for (const Plane plane : kPlanes) {
    const double width = columnsOf(extent, plane) * kScale;
    const double height = rowsOf(extent, plane) * kScale;
    // Shorter panels sit on the row's centre line.
    panels_[static_cast<std::size_t>(plane)] = {x, kTitleHeight + (rowHeight - height) / 2, width,
                                                height};
    x += width + kMargin;
  }
  width_ = std::max(static_cast<int>(x), kMinWidth);
  captionTop_ = kTitleHeight + rowHeight + kMargin;
  height_ = std::max(static_cast<int>(captionTop_) + captionLines * kLineHeight + kMargin / 2,
                     kMinHeight);
}

std::array<double, 2> FigureLayout::pixelOf(Plane plane, const Vec3& world) const {
  const PlaneAxes axes = axesOf(plane);
  const Box& box = panel(plane);
  return {box.x + (world[axes.across] - extent_.lo[axes.across] + 0.5) * kScale,
          box.y + (extent_.hi[axes.up] - world[axes.up] + 0.5) * kScale};
}

}  // namespace figures
