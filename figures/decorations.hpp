// What both kinds of figure share: title, caption, orientation letters and placed layers.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

#include "figures/layout.hpp"
#include "figures/palette.hpp"

namespace figures {

// Clears the canvas and writes the title and the caption lines where the layout puts them.
void drawFrame(cairo_t* cr, const FigureLayout& layout, const std::string& title,
               const std::vector<std::string>& caption);

// L/R, P/A and I/S at the panel's edges, in the neurological convention of axesOf().
void drawOrientation(cairo_t* cr, const Box& panel, Plane plane, const Rgb& fill, const Rgb& halo);

// Places a layer over a panel, scaled to fill it; smoothing blends the background's
// millimetre cells, while layers drawn at full resolution are copied pixel for pixel.
void placeLayer(cairo_t* cr, cairo_surface_t* layer, const Box& panel, bool smooth);

}  // namespace figures
