// One point's figure: sagittal, coronal and axial slices through it, and its caption.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

#include "figures/anatomy.hpp"
#include "figures/layout.hpp"
#include "figures/overlay.hpp"
#include "figures/raster.hpp"

namespace figures {

struct SliceFigure {
  Vec3 point;                        // MNI mm, where the slices cross
  std::string title;                 // e.g. the line or the cluster and peak
  std::vector<std::string> caption;  // coordinates and every atlas's answer
  RegionLookup regions;              // the outlined atlas; may be empty
  const Overlay* overlay = nullptr;  // the clusters, for a peak's figure
};

FigureLayout layoutOf(const Anatomy& anatomy, const SliceFigure& figure);

void drawSliceFigure(cairo_t* cr, const Anatomy& anatomy, const SliceFigure& figure);

}  // namespace figures
