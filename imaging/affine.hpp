// Affine maps between coordinate spaces.
#pragma once

#include <array>

namespace imaging {

using Vec3 = std::array<double, 3>;

// The top three rows of a 4x4 affine; the fourth row is always 0 0 0 1.
using Affine = std::array<std::array<double, 4>, 3>;

Vec3 applyAffine(const Affine& affine, const Vec3& point);
Affine compose(const Affine& outer, const Affine& inner);

// Throws std::domain_error when the linear part is singular.
Affine invert(const Affine& affine);

// floor(v + 0.5) per axis: half-way points round up on both sides of zero, unlike
// std::lround, so answers agree with tools that round the same way.
Vec3 roundHalfUp(const Vec3& point);

}  // namespace imaging
