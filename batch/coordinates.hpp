// Reading one coordinate of an input table, and taking a point from MNI to Talairach space.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace vantrel::batch {

using Point3 = std::array<std::int32_t, 3>;
using Values3 = std::array<double, 3>;

// How a coordinate field reads: an integer, a decimal number to be rounded,
// or no number at all (the reason a line is rejected).
enum class CoordinateForm { kInteger, kDecimal, kNotANumber };

// isInt, else isFloat; either way the field must hold a digit, so the "-" or
// "." that tables use for a missing value is no number.
CoordinateForm coordinateForm(const char* field);

// The value of a field of form kInteger or kDecimal.
double coordinateValue(const char* field);

// Rounds half up, floor(v + 0.5), as orvod rounds its points; nothing when a
// value does not fit a signed 32-bit integer.
std::optional<Point3> roundToPoint(const Values3& values);

// The Talairach point orvod labels for an MNI point: its forward pooled
// transform, then rounding half up.
std::optional<Point3> talairachFromMni(const Values3& mni);

}  // namespace vantrel::batch
