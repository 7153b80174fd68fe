// Each voxel's squared distance in millimetres to the nearest voxel with a named label.
#include "atlas/distance_map.hpp"

#include <algorithm>
#include <cmath>

namespace atlas {
namespace {

// Stands for "no named voxel on this line yet"; far above any squared distance in a grid, yet
// small enough that sums with real distances stay exact in a double.
constexpr double kUnreached = 1e12;

double dot(const Affine& a, int p, int q) {
  return a[0][p] * a[0][q] + a[1][p] * a[1][q] + a[2][p] * a[2][q];
}

std::optional<std::array<double, 3>> squaredSpacing(const Affine& voxelToMni) {
  for (int p = 0; p < 3; ++p) {
    for (int q = p + 1; q < 3; ++q) {
      if (std::abs(dot(voxelToMni, p, q)) >
          1e-6 * std::sqrt(dot(voxelToMni, p, p) * dot(voxelToMni, q, q))) {
        return std::nullopt;
      }
    }
  }
  return std::array<double, 3>{dot(voxelToMni, 0, 0), dot(voxelToMni, 1, 1), dot(voxelToMni, 2, 2)};
}

// One line: out[p] = min over q of in[q] + w (p - q)^2, by the lower envelope of the parabolas.
class LineTransform {
 public:
  explicit LineTransform(std::size_t longest)
      : vertex_(longest), bound_(longest + 1), out_(longest) {}

  void run(double* line, std::size_t n, double w) {
    std::size_t k = 0;
    vertex_[0] = 0;
    bound_[0] = -HUGE_VAL;
    bound_[1] = HUGE_VAL;
    for (std::size_t q = 1; q < n; ++q) {
      double s = intersection(line, q, vertex_[k], w);
      while (s <= bound_[k]) {
        --k;
        s = intersection(line, q, vertex_[k], w);
      }
      ++k;
      vertex_[k] = q;
      bound_[k] = s;
      bound_[k + 1] = HUGE_VAL;
    }
    k = 0;
    for (std::size_t p = 0; p < n; ++p) {
      while (bound_[k + 1] < static_cast<double>(p)) {
        ++k;
      }
      const double d = static_cast<double>(p) - static_cast<double>(vertex_[k]);
      out_[p] = line[vertex_[k]] + w * d * d;
    }
    std::copy_n(out_.begin(), n, line);
  }

 private:
  static double intersection(const double* f, std::size_t q, std::size_t v, double w) {
    const double dq = static_cast<double>(q), dv = static_cast<double>(v);
    return ((f[q] + w * dq * dq) - (f[v] + w * dv * dv)) / (2 * w * (dq - dv));
  }

  std::vector<std::size_t> vertex_;
  std::vector<double> bound_;
  std::vector<double> out_;
};

// Runs the transform along every line of one axis of the grid.
void transformAxis(std::vector<float>& grid, const std::array<std::int64_t, 3>& size, int axis,
                   double w) {
  const auto n = static_cast<std::size_t>(size[axis]);
  const std::size_t stride = axis == 0   ? 1
                             : axis == 1 ? static_cast<std::size_t>(size[0])
                                         : static_cast<std::size_t>(size[0] * size[1]);
  const std::size_t lines = grid.size() / n;
  LineTransform transform(n);
  std::vector<double> line(n);
  for (std::size_t l = 0; l < lines; ++l) {
    // Lines start at every voxel whose index along `axis` is 0.
    const std::size_t start = (l / stride) * stride * n + l % stride;
    for (std::size_t p = 0; p < n; ++p) {
      line[p] = grid[start + p * stride];
    }
    transform.run(line.data(), n, w);
    for (std::size_t p = 0; p < n; ++p) {
      grid[start + p * stride] = static_cast<float>(line[p]);
    }
  }
}

}  // namespace

std::optional<std::vector<std::uint16_t>> squaredDistanceMap(const LabelAtlas& atlas) {
  const std::optional<std::array<double, 3>> spacing = squaredSpacing(atlas.voxelToMni());
  if (!spacing) {
    return std::nullopt;
  }
  const auto& size = atlas.grid();
  const auto count = static_cast<std::size_t>(size[0] * size[1] * size[2]);
  // Floats hold every squared distance of a grid exactly and halve the transient memory.
  std::vector<float> grid(count);
  for (std::size_t i = 0; i < count; ++i) {
    grid[i] = atlas.indexAtLinear(i) != 0 ? 0.0F : static_cast<float>(kUnreached);
  }
  for (int axis = 0; axis < 3; ++axis) {
    transformAxis(grid, size, axis, (*spacing)[static_cast<std::size_t>(axis)]);
  }
  std::vector<std::uint16_t> map(count);
  for (std::size_t i = 0; i < count; ++i) {
    map[i] = static_cast<std::uint16_t>(
        std::min(std::floor(double{grid[i]} + 1e-6), double{kFarSquaredDistance}));
  }
  return map;
}

}  // namespace atlas
