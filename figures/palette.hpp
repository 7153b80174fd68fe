// The "Vantrel ember" palette: every colour the figures use, in one place.
#pragma once

#include <cstdint>

namespace figures {

struct Rgb {
  double r, g, b;
};

namespace palette {

inline constexpr const char* kName = "Vantrel ember";

inline constexpr Rgb kCanvas{1.0, 1.0, 1.0};
inline constexpr Rgb kPanel{0.0, 0.0, 0.0};
inline constexpr Rgb kText{0.08, 0.08, 0.1};
inline constexpr Rgb kPanelText{1.0, 1.0, 1.0};
inline constexpr Rgb kCrosshair{0.2, 1.0, 0.2};
inline constexpr Rgb kGlassFill{0.93, 0.93, 0.95};
inline constexpr Rgb kGlassEdge{0.45, 0.45, 0.5};
inline constexpr Rgb kMarker{0.1, 0.45, 0.95};

// Background intensity: plain grey, 0 black.
Rgb grey(std::uint8_t intensity);

// Positive statistics run dark red through orange to yellow, negative ones dark blue through
// blue to cyan; t is 0 at the threshold and 1 at the map's most extreme value.
Rgb heat(double t);
Rgb cold(double t);

// A region's outline colour: neighbouring label values get clearly different hues.
Rgb region(int label);

// ARGB32 as cairo stores it in memory, premultiplied by alpha.
std::uint32_t packed(const Rgb& colour, double alpha = 1.0);

}  // namespace palette
}  // namespace figures
