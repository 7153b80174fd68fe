// Affine maps between coordinate spaces, and the Talairach to MNI transform.
#pragma once

#include <array>

namespace atlas {

using Vec3 = std::array<double, 3>;

// The top three rows of a 4x4 affine; the fourth row is always 0 0 0 1.
using Affine = std::array<std::array<double, 4>, 3>;

Vec3 applyAffine(const Affine& affine, const Vec3& point);
Affine compose(const Affine& outer, const Affine& inner);

// Throws std::domain_error when the linear part is singular.
Affine invert(const Affine& affine);

// MNI to Talairach, the pooled fit of Hum Brain Mapp 2007;28:1194 (doi:10.1002/hbm.20345),
// with the four decimals as published.
const Affine& mniToTalairach();

// The inverse of mniToTalairach(), computed once in double precision.
const Affine& talairachToMni();

// floor(v + 0.5) per axis: half-way points round up on both sides of zero, unlike
// std::lround, so answers agree with tools that round the same way.
Vec3 roundHalfUp(const Vec3& point);

}  // namespace atlas
