// Where the panels and the caption of a figure lie, and the pixel of any world point.
#pragma once

#include <array>

#include "figures/slice.hpp"

namespace figures {

struct Box {
  double x, y, width, height;
};

class FigureLayout {
 public:
  static constexpr int kScale = 2;  // pixels per millimetre
  static constexpr int kMargin = 16;
  static constexpr int kTitleHeight = 34;
  static constexpr int kLineHeight = 20;
  // Smaller pictures would not read at 100% on a screen or a page.
  static constexpr int kMinWidth = 900, kMinHeight = 300;

  // Three panels side by side under a title line, then `captionLines` lines of caption.
  FigureLayout(const Extent& extent, int captionLines);

  int width() const { return width_; }
  int height() const { return height_; }
  const Box& panel(Plane plane) const { return panels_[static_cast<std::size_t>(plane)]; }
  double captionTop() const { return captionTop_; }

  // The centre of the pixel where a world point falls in a panel.
  std::array<double, 2> pixelOf(Plane plane, const Vec3& world) const;

 private:
  Extent extent_;
  std::array<Box, 3> panels_{};
  int width_ = 0, height_ = 0;
  double captionTop_ = 0;
};

}  // namespace figures
