// One point's figure: sagittal, coronal and axial slices through it, and its caption.
#include "figures/slice_figure.hpp"

#include <cmath>
#include <cstdio>

#include "figures/decorations.hpp"
#include "figures/palette.hpp"
#include "figures/text.hpp"

namespace figures {
namespace {

constexpr double kCrosshairGap = 7;

void drawCrosshair(cairo_t* cr, const Box& panel, const std::array<double, 2>& at) {
  const auto [x, y] = at;
  cairo_save(cr);
  cairo_rectangle(cr, panel.x, panel.y, panel.width, panel.height);
  cairo_clip(cr);
  cairo_set_source_rgb(cr, palette::kCrosshair.r, palette::kCrosshair.g, palette::kCrosshair.b);
  // As wide as one millimetre cell, so the line covers the point's cell exactly.
  cairo_set_line_width(cr, FigureLayout::kScale);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_move_to(cr, panel.x, y);
  cairo_line_to(cr, x - kCrosshairGap, y);
  cairo_move_to(cr, x + kCrosshairGap, y);
  cairo_line_to(cr, panel.x + panel.width, y);
  cairo_move_to(cr, x, panel.y);
  cairo_line_to(cr, x, y - kCrosshairGap);
  cairo_move_to(cr, x, y + kCrosshairGap);
  cairo_line_to(cr, x, panel.y + panel.height);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// "x = -38" in the panel's lower left corner: where the slice cuts.
void drawDepth(cairo_t* cr, const Box& panel, Plane plane, double depth) {
  static constexpr const char* kAxisNames[3] = {"x", "y", "z"};
  char text[48];
  std::snprintf(text, sizeof text, "%s = %g", kAxisNames[axesOf(plane).depth], depth);
  setFont(cr, 13, Weight::Regular);
  drawText(cr, panel.x + 6, panel.y + panel.height - 8, text, palette::kPanelText);
}

}  // namespace

FigureLayout layoutOf(const Anatomy& anatomy, const SliceFigure& figure) {
  return FigureLayout(anatomy.extent, static_cast<int>(figure.caption.size()));
}

void drawSliceFigure(cairo_t* cr, const Anatomy& anatomy, const SliceFigure& figure) {
  const FigureLayout layout = layoutOf(anatomy, figure);
  drawFrame(cr, layout, figure.title, figure.caption);
  for (const Plane plane : kPlanes) {
    const Box& panel = layout.panel(plane);
    const double depth = figure.point[static_cast<std::size_t>(axesOf(plane).depth)];
    cairo_set_source_rgb(cr, palette::kPanel.r, palette::kPanel.g, palette::kPanel.b);
    cairo_rectangle(cr, panel.x, panel.y, panel.width, panel.height);
    cairo_fill(cr);
    placeLayer(cr, backgroundSlice(anatomy, plane, depth).get(), panel, true);
    placeLayer(
        cr,
        detailSlice(anatomy, plane, depth, FigureLayout::kScale, figure.regions, figure.overlay)
            .get(),
        panel, false);
    drawCrosshair(cr, panel, layout.pixelOf(plane, figure.point));
    drawOrientation(cr, panel, plane, palette::kPanelText, palette::kPanel);
    drawDepth(cr, panel, plane, depth);
  }
}

}  // namespace figures
