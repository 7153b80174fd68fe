// The overview: maximum-intensity projections on three planes over the brain's silhouette,
// with every point or cluster marked and numbered.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

#include "figures/anatomy.hpp"
#include "figures/layout.hpp"
#include "figures/overlay.hpp"

namespace figures {

struct Mark {
  Vec3 point;         // MNI mm
  std::string label;  // a line or cluster number
};

struct GlassBrain {
  std::string title;
  std::vector<std::string> caption;
  std::vector<Mark> marks;
  const Overlay* overlay = nullptr;
};

FigureLayout layoutOf(const Anatomy& anatomy, const GlassBrain& figure);

void drawGlassBrain(cairo_t* cr, const Anatomy& anatomy, const GlassBrain& figure);

}  // namespace figures
