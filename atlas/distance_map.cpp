// For every voxel of an atlas, the nearest voxel with a named label: its squared distance in
// millimetres and its label, ties going to the lowest label value.
#include "atlas/distance_map.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace atlas {
namespace {

using imaging::Affine;

// In a line: no named voxel reached yet. Far above any squared distance in a grid, yet
// small enough that sums with real distances stay exact in a double.
constexpr double kUnreached = 1e12;
constexpr std::uint32_t kUnreachedStored = std::numeric_limits<std::uint32_t>::max();

double dot(const Affine& a, int p, int q) {
  return a[0][p] * a[0][q] + a[1][p] * a[1][q] + a[2][p] * a[2][q];
}

// Whole squared voxel sizes keep every intersection of two parabolas a ratio of integers, so
// a tie between two labels is seen exactly.
std::optional<std::array<double, 3>> wholeSquaredSpacing(const Affine& a) {
  std::array<double, 3> spacing{};
  for (int p = 0; p < 3; ++p) {
    for (int q = p + 1; q < 3; ++q) {
      if (dot(a, p, q) != 0.0) {
        return std::nullopt;
      }
    }
    spacing[static_cast<std::size_t>(p)] = dot(a, p, p);
    if (spacing[static_cast<std::size_t>(p)] != std::round(spacing[static_cast<std::size_t>(p)])) {
      return std::nullopt;
    }
  }
  return spacing;
}

// One line: value[p] = min over q of value[q] + w (p - q)^2, with label[p] the lowest label
// among the q that reach the minimum.
class LineTransform {
 public:
  explicit LineTransform(std::size_t longest)
      : vertex_(longest), bound_(longest + 1), value_(longest), label_(longest) {}

  void run(double* value, std::uint16_t* label, std::size_t n, double w) {
    if (std::all_of(value, value + n, [](double v) { return v >= kUnreached; })) {
      return;
    }
    const std::size_t last = envelope(value, n, w);
    std::size_t k = 0;
    for (std::size_t p = 0; p < n; ++p) {
      const auto at = static_cast<double>(p);
      while (bound_[k + 1] < at) {
        ++k;
      }
      const double d = at - static_cast<double>(vertex_[k]);
      value_[p] = value[vertex_[k]] + w * d * d;
      label_[p] = label[vertex_[k]];
      // Parabolas whose pieces meet exactly here tie with this one.
      for (std::size_t j = k + 1; j <= last && bound_[j] == at; ++j) {
        label_[p] = std::min(label_[p], label[vertex_[j]]);
      }
    }
    std::copy_n(value_.begin(), n, value);
    std::copy_n(label_.begin(), n, label);
  }

 private:
  // The lower envelope of the parabolas of reached points, for every line here has one; a
  // parabola that touches it at a single point stays in it, so that its label can take part
  // in a tie there. Returns the index of its last parabola.
  std::size_t envelope(const double* f, std::size_t n, double w) {
    std::size_t first = 0;
    while (f[first] >= kUnreached) {
      ++first;
    }
    std::size_t k = 0;
    vertex_[0] = first;
    bound_[0] = -HUGE_VAL;
    bound_[1] = HUGE_VAL;
    for (std::size_t q = first + 1; q < n; ++q) {
      if (f[q] >= kUnreached) {
        continue;
      }
      double s = intersection(f, q, vertex_[k], w);
      while (s < bound_[k]) {
        --k;
        s = intersection(f, q, vertex_[k], w);
      }
      ++k;
      vertex_[k] = q;
      bound_[k] = s;
      bound_[k + 1] = HUGE_VAL;
    }
    return k;
  }

  static double intersection(const double* f, std::size_t q, std::size_t v, double w) {
    const double dq = static_cast<double>(q), dv = static_cast<double>(v);
    return ((f[q] + w * dq * dq) - (f[v] + w * dv * dv)) / (2 * w * (dq - dv));
  }

  std::vector<std::size_t> vertex_;
  std::vector<double> bound_;
  std::vector<double> value_;
  std::vector<std::uint16_t> label_;
};

struct Work {
  std::vector<std::uint32_t> squared;
  std::vector<std::uint16_t> label;
};

// Along i a named voxel's nearest rival lies in the same row, so two sweeps find every row's
// nearest named voxels without parabolas: the nearest on the left and on the right.
void nearestAlongRows(Work& work, std::size_t nx, double w) {
  const auto far = static_cast<std::int64_t>(kUnreachedStored);
  std::vector<std::int64_t> lefts(nx);
  for (std::size_t start = 0; start < work.squared.size(); start += nx) {
    std::uint32_t* squared = work.squared.data() + start;
    std::uint16_t* label = work.label.data() + start;
    std::int64_t left = -far;
    for (std::size_t p = 0; p < nx; ++p) {
      left = label[p] != 0 && squared[p] == 0 ? static_cast<std::int64_t>(p) : left;
      lefts[p] = left;
    }
    std::int64_t right = far;
    std::uint16_t rightLabel = 0;
    for (std::size_t p = nx; p-- > 0;) {
      if (label[p] != 0 && squared[p] == 0) {
        right = static_cast<std::int64_t>(p);
        rightLabel = label[p];
      }
      const auto at = static_cast<std::int64_t>(p);
      const std::int64_t toLeft = at - lefts[p], toRight = right - at;
      const std::int64_t d = std::min(toLeft, toRight);
      if (d >= far / 2) {
        continue;
      }
      const std::uint16_t leftLabel = toLeft < far / 2 ? label[lefts[p]] : 0;
      squared[p] = static_cast<std::uint32_t>(w * static_cast<double>(d * d));
      label[p] = toLeft == toRight  ? std::min(leftLabel, rightLabel)
                 : toLeft < toRight ? leftLabel
                                    : rightLabel;
    }
  }
}

// Lines side by side along i, gathered together: a column of the grid read one voxel at a
// time would touch a fresh cache line for every voxel.
constexpr std::size_t kTileWidth = 16;

// Runs the transform along every line of one axis of the grid.
void transformAxis(Work& work, const std::array<std::int64_t, 3>& size, int axis, double w) {
  const auto nx = static_cast<std::size_t>(size[0]);
  const auto n = static_cast<std::size_t>(size[axis]);
  const std::size_t stride = axis == 0   ? 1
                             : axis == 1 ? nx
                                         : nx * static_cast<std::size_t>(size[1]);
  // Lines start at every voxel whose index along `axis` is 0: runs of `width` neighbours.
  const std::size_t width = axis == 0 ? 1 : nx;
  const std::size_t runs = work.squared.size() / n / width;
  const std::size_t runStep = axis == 0 ? nx : axis == 1 ? nx * n : nx;
  LineTransform transform(n);
  std::vector<double> value(n * kTileWidth);
  std::vector<std::uint16_t> label(n * kTileWidth);
  for (std::size_t run = 0; run < runs; ++run) {
    for (std::size_t i0 = 0; i0 < width; i0 += kTileWidth) {
      const std::size_t tile = std::min(kTileWidth, width - i0);
      const std::size_t start = run * runStep + i0;
      for (std::size_t p = 0; p < n; ++p) {
        for (std::size_t t = 0; t < tile; ++t) {
          const std::uint32_t stored = work.squared[start + p * stride + t];
          value[t * n + p] = stored == kUnreachedStored ? kUnreached : static_cast<double>(stored);
          label[t * n + p] = work.label[start + p * stride + t];
        }
      }
      for (std::size_t t = 0; t < tile; ++t) {
        transform.run(value.data() + t * n, label.data() + t * n, n, w);
      }
      for (std::size_t p = 0; p < n; ++p) {
        for (std::size_t t = 0; t < tile; ++t) {
          const double v = value[t * n + p];
          work.squared[start + p * stride + t] =
              v >= kUnreached ? kUnreachedStored : static_cast<std::uint32_t>(v);
          work.label[start + p * stride + t] = label[t * n + p];
        }
      }
    }
  }
}

}  // namespace

std::optional<std::vector<NearestEntry>> nearestLabelMap(const LabelAtlas& atlas,
                                                         const VoxelIndex& margin) {
  const std::optional<std::array<double, 3>> spacing =
      wholeSquaredSpacing(atlas.grid().voxelToWorld());
  if (!spacing) {
    return std::nullopt;
  }
  std::array<std::int64_t, 3> size{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    size[axis] = atlas.grid().size()[axis] + 2 * margin[axis];
  }
  const auto count = static_cast<std::size_t>(size[0] * size[1] * size[2]);
  Work work{std::vector<std::uint32_t>(count), std::vector<std::uint16_t>(count)};
  std::size_t at = 0;
  for (std::int64_t k = -margin[2]; k < size[2] - margin[2]; ++k) {
    for (std::int64_t j = -margin[1]; j < size[1] - margin[1]; ++j) {
      for (std::int64_t i = -margin[0]; i < size[0] - margin[0]; ++i, ++at) {
        work.label[at] = atlas.indexAt({i, j, k});
        work.squared[at] = work.label[at] != 0 ? 0 : kUnreachedStored;
      }
    }
  }
  nearestAlongRows(work, static_cast<std::size_t>(size[0]), (*spacing)[0]);
  transformAxis(work, size, 1, (*spacing)[1]);
  transformAxis(work, size, 2, (*spacing)[2]);
  // The squared distances become the map in place, halving the memory a second array takes.
  std::vector<NearestEntry> map = std::move(work.squared);
  for (std::size_t i = 0; i < count; ++i) {
    map[i] =
        map[i] >= kFarSquaredDistance ? kFarSquaredDistance << 16 : map[i] << 16 | work.label[i];
  }
  return map;
}

}  // namespace atlas
