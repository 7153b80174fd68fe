// Affine maps between coordinate spaces.
#include "imaging/affine.hpp"

#include <cmath>
#include <stdexcept>

namespace imaging {

Vec3 applyAffine(const Affine& affine, const Vec3& point) {
  Vec3 result{};
  for (int row = 0; row < 3; ++row) {
    const auto& r = affine[row];
    result[row] = r[0] * point[0] + r[1] * point[1] + r[2] * point[2] + r[3];
  }
  return result;
}

Affine compose(const Affine& outer, const Affine& inner) {
  Affine result{};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      double sum = col == 3 ? outer[row][3] : 0.0;
      for (int k = 0; k < 3; ++k) {
        sum += outer[row][k] * inner[k][col];
      }
      result[row][col] = sum;
    }
  }
  return result;
}

Affine invert(const Affine& a) {
  // Cofactors of the 3x3 linear part; the translation follows as -inverse * t.
  const double c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
  const double c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
  const double c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
  const double det = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
  if (det == 0.0 || !std::isfinite(det)) {
    throw std::domain_error("affine is not invertible");
  }
  Affine inv{};
  inv[0][0] = c00 / det;
  inv[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det;
  inv[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det;
  inv[1][0] = c01 / det;
  inv[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det;
  inv[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det;
  inv[2][0] = c02 / det;
  inv[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det;
  inv[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det;
  for (int row = 0; row < 3; ++row) {
    inv[row][3] = -(inv[row][0] * a[0][3] + inv[row][1] * a[1][3] + inv[row][2] * a[2][3]);
  }
  return inv;
}

Vec3 roundHalfUp(const Vec3& point) {
  return {std::floor(point[0] + 0.5), std::floor(point[1] + 0.5), std::floor(point[2] + 0.5)};
}

}  // namespace imaging
