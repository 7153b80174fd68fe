// Text on figures: one font, DejaVu Sans through fontconfig, in a few sizes.
#pragma once

#include <cairo.h>

#include <string>

#include "figures/palette.hpp"

namespace figures {

inline constexpr const char* kFontFamily = "DejaVu Sans";

enum class Weight { Regular, Bold };

void setFont(cairo_t* cr, double size, Weight weight);

// Left-aligned text whose baseline is at y.
void drawText(cairo_t* cr, double x, double y, const std::string& text, const Rgb& colour);

// Text centred on (x, y), ringed in a contrasting colour so it reads over any image.
void drawHaloText(cairo_t* cr, double x, double y, const std::string& text, const Rgb& fill,
                  const Rgb& halo);

}  // namespace figures
