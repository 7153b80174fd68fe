// What both kinds of figure share: title, caption, orientation letters and placed layers.
#include "figures/decorations.hpp"

#include "figures/text.hpp"

namespace figures {
namespace {

// The letters for the low and high ends of each world axis.
constexpr const char* kLowEnd[3] = {"L", "P", "I"};
constexpr const char* kHighEnd[3] = {"R", "A", "S"};

}  // namespace

void drawFrame(cairo_t* cr, const FigureLayout& layout, const std::string& title,
               const std::vector<std::string>& caption) {
  cairo_set_source_rgb(cr, palette::kCanvas.r, palette::kCanvas.g, palette::kCanvas.b);
  cairo_paint(cr);
  setFont(cr, 18, Weight::Bold);
  drawText(cr, FigureLayout::kMargin, FigureLayout::kTitleHeight - 10, title, palette::kText);
  setFont(cr, 14, Weight::Regular);
  double baseline = layout.captionTop() + FigureLayout::kLineHeight - 6;
  for (const auto& line : caption) {
    drawText(cr, FigureLayout::kMargin, baseline, line, palette::kText);
    baseline += FigureLayout::kLineHeight;
  }
}

void drawOrientation(cairo_t* cr, const Box& panel, Plane plane, const Rgb& fill, const Rgb& halo) {
  const PlaneAxes axes = axesOf(plane);
  const double inset = 14;
  setFont(cr, 16, Weight::Bold);
  const double midX = panel.x + panel.width / 2, midY = panel.y + panel.height / 2;
  drawHaloText(cr, panel.x + inset, midY, kLowEnd[axes.across], fill, halo);
  drawHaloText(cr, panel.x + panel.width - inset, midY, kHighEnd[axes.across], fill, halo);
  drawHaloText(cr, midX, panel.y + inset, kHighEnd[axes.up], fill, halo);
  drawHaloText(cr, midX, panel.y + panel.height - inset, kLowEnd[axes.up], fill, halo);
}

void placeLayer(cairo_t* cr, cairo_surface_t* layer, const Box& panel, bool smooth) {
  const double scale = panel.width / cairo_image_surface_get_width(layer);
  cairo_save(cr);
  cairo_rectangle(cr, panel.x, panel.y, panel.width, panel.height);
  cairo_clip(cr);
  cairo_translate(cr, panel.x, panel.y);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, layer, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), smooth ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace figures
