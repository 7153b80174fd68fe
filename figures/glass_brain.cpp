// The overview: maximum-intensity projections on three planes over the brain's silhouette,
// with every point or cluster marked and numbered.
#include "figures/glass_brain.hpp"

#include <algorithm>
#include <cmath>

#include "figures/decorations.hpp"
#include "figures/palette.hpp"
#include "figures/raster.hpp"
#include "figures/text.hpp"

namespace figures {
namespace {

void drawMark(cairo_t* cr, const std::array<double, 2>& at, const std::string& label) {
  setFont(cr, 11, Weight::Bold);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, label.c_str(), &extents);
  const double radius = std::max(8.0, extents.width / 2 + 4);
  cairo_new_path(cr);
  cairo_arc(cr, at[0], at[1], radius, 0, 2 * M_PI);
  cairo_set_source_rgb(cr, palette::kMarker.r, palette::kMarker.g, palette::kMarker.b);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, palette::kCanvas.r, palette::kCanvas.g, palette::kCanvas.b);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  drawHaloText(cr, at[0], at[1], label, palette::kCanvas, palette::kMarker);
}

}  // namespace

FigureLayout layoutOf(const Anatomy& anatomy, const GlassBrain& figure) {
  return FigureLayout(anatomy.extent, static_cast<int>(figure.caption.size()));
}

void drawGlassBrain(cairo_t* cr, const Anatomy& anatomy, const GlassBrain& figure) {
  const FigureLayout layout = layoutOf(anatomy, figure);
  drawFrame(cr, layout, figure.title, figure.caption);
  for (const Plane plane : kPlanes) {
    const Box& panel = layout.panel(plane);
    placeLayer(cr, glassSlice(anatomy, plane, FigureLayout::kScale, figure.overlay).get(), panel,
               false);
    drawOrientation(cr, panel, plane, palette::kText, palette::kCanvas);
  }
  // Marks go on last so that no panel covers a neighbour's.
  for (const Plane plane : kPlanes) {
    for (const Mark& mark : figure.marks) {
      drawMark(cr, layout.pixelOf(plane, mark.point), mark.label);
    }
  }
}

}  // namespace figures
