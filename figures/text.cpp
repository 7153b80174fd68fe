// Text on figures: one font, DejaVu Sans through fontconfig, in a few sizes.
#include "figures/text.hpp"

namespace figures {

void setFont(cairo_t* cr, double size, Weight weight) {
  cairo_select_font_face(
      cr, kFontFamily, CAIRO_FONT_SLANT_NORMAL,
      weight == Weight::Bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}

void drawText(cairo_t* cr, double x, double y, const std::string& text, const Rgb& colour) {
  cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

void drawHaloText(cairo_t* cr, double x, double y, const std::string& text, const Rgb& fill,
                  const Rgb& halo) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  cairo_new_path(cr);
  cairo_move_to(cr, x - extents.width / 2 - extents.x_bearing,
                y - extents.height / 2 - extents.y_bearing);
  cairo_text_path(cr, text.c_str());
  cairo_set_source_rgb(cr, halo.r, halo.g, halo.b);
  cairo_set_line_width(cr, 3);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
  cairo_set_source_rgb(cr, fill.r, fill.g, fill.b);
  cairo_fill(cr);
}

}  // namespace figures
