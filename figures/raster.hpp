// Pixel layers of a panel, painted into cairo image surfaces before they are placed.
#pragma once

#include <cairo.h>

#include <functional>
#include <memory>

#include "figures/anatomy.hpp"
#include "figures/overlay.hpp"

namespace figures {

// The outlined atlas: its label value at a world point, 0 where there is none.
using RegionLookup = std::function<int(const Vec3&)>;

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// The head's grey values, one pixel per cell; placed scaled up with smoothing.
Surface backgroundSlice(const Anatomy& anatomy, Plane plane, double depth);

// Region outlines and statistics, `scale` pixels per cell so that outlines stay one pixel thin.
// Each region's edge cells get a one-pixel line on the sides facing another label.
Surface detailSlice(const Anatomy& anatomy, Plane plane, double depth, int scale,
                    const RegionLookup& regions, const Overlay* overlay);

// The brain's silhouette filled, its edge drawn, and the statistics' maximum-intensity
// projection over it, `scale` pixels per cell.
Surface glassSlice(const Anatomy& anatomy, Plane plane, int scale, const Overlay* overlay);

}  // namespace figures
