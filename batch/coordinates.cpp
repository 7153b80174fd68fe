// Coordinate fields and the MNI to Talairach step, with orvod's transform and rounding.
#include "batch/coordinates.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "atlas/transform.hpp"
#include "text/text.hpp"
#include "vantrel.hpp"

namespace vantrel::batch {

namespace {

bool holdsDigit(const char* text) {
  for (; *text != '\0'; ++text) {
    if (text::isDigit(*text)) {
      return true;
    }
  }
  return false;
}

bool fitsInt32(double value) {
  return std::isfinite(value) && value >= std::numeric_limits<std::int32_t>::min() &&
         value <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

CoordinateForm coordinateForm(const char* field) {
  if (!holdsDigit(field)) {
    return CoordinateForm::kNotANumber;
  }
  if (isInt(field) == 1) {
    return CoordinateForm::kInteger;
  }
  return isFloat(field) == 1 ? CoordinateForm::kDecimal : CoordinateForm::kNotANumber;
}

// strtod reads every text that isFloat passes, ".5" and "5." included; digits
// beyond a double's range become infinity, which no point fits.
double coordinateValue(const char* field) {
  return std::strtod(field, nullptr);
}

std::optional<Point3> roundToPoint(const Values3& values) {
  const atlas::Vec3 rounded = atlas::roundHalfUp(values);
  Point3 point{};
  for (std::size_t axis = 0; axis < point.size(); ++axis) {
    if (!fitsInt32(rounded[axis])) {
      return std::nullopt;
    }
    point[axis] = static_cast<std::int32_t>(rounded[axis]);
  }
  return point;
}

std::optional<Point3> talairachFromMni(const Values3& mni) {
  return roundToPoint(atlas::applyAffine(atlas::mniToTalairach(), mni));
}

}  // namespace vantrel::batch
