// The "Vantrel ember" palette: every colour the figures use, in one place.
#include "figures/palette.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace figures::palette {
namespace {

Rgb blend(const Rgb& a, const Rgb& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Three stops, so that the faintest supra-threshold voxel still stands out from grey.
Rgb ramp(const Rgb& low, const Rgb& mid, const Rgb& high, double t) {
  t = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0);
  return t < 0.5 ? blend(low, mid, t * 2) : blend(mid, high, t * 2 - 1);
}

// Twelve hues spread so that consecutive label values, often neighbours, never look alike.
constexpr std::array<Rgb, 12> kRegionHues{{{0.90, 0.16, 0.16},
                                           {0.16, 0.63, 0.90},
                                           {0.96, 0.78, 0.10},
                                           {0.62, 0.30, 0.88},
                                           {0.20, 0.80, 0.45},
                                           {0.98, 0.50, 0.10},
                                           {0.95, 0.40, 0.70},
                                           {0.10, 0.80, 0.80},
                                           {0.75, 0.90, 0.20},
                                           {0.55, 0.55, 1.00},
                                           {0.85, 0.60, 0.40},
                                           {1.00, 1.00, 1.00}}};

std::uint32_t channel(double value, double alpha) {
  return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * alpha * 255.0));
}

}  // namespace

Rgb grey(std::uint8_t intensity) {
  const double v = intensity / 255.0;
  return {v, v, v};
}

Rgb heat(double t) {
  return ramp({0.75, 0.05, 0.0}, {1.0, 0.5, 0.0}, {1.0, 1.0, 0.3}, t);
}

Rgb cold(double t) {
  return ramp({0.0, 0.15, 0.75}, {0.0, 0.5, 1.0}, {0.4, 1.0, 1.0}, t);
}

Rgb region(int label) {
  // Stride 5 is coprime with 12, so the first twelve labels take twelve different hues.
  const auto index = static_cast<std::size_t>((static_cast<unsigned>(label) * 5u) % 12u);
  return kRegionHues[index];
}

std::uint32_t packed(const Rgb& colour, double alpha) {
  return channel(1.0, alpha) << 24 | channel(colour.r, alpha) << 16 |
         channel(colour.g, alpha) << 8 | channel(colour.b, alpha);
}

}  // namespace figures::palette
