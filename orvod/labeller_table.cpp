// The labeller's table of every integer MNI point's answer, built at start-up, and the cubes
// counted from it.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "imaging/talairach.hpp"
#include "orvod/labeller.hpp"

namespace orvod {
namespace {

// floor(v + 0.5) without a library call or a branch, for |v| well inside the int64 range.
std::int64_t floorHalfUp(double v) {
  const double shifted = v + 0.5;
  const auto whole = static_cast<std::int64_t>(shifted);
  return whole - static_cast<std::int64_t>(static_cast<double>(whole) > shifted);
}

}  // namespace

void Labeller::buildAnswerTable() {
  // Every volume answers 0 beyond its own grid, so the box around all three holds every point
  // whose answer is not Tier::Outside; a voxel's margin covers rounding at the edges.
  MniPoint low{}, high{};
  low.fill(std::numeric_limits<std::int64_t>::max());
  high.fill(std::numeric_limits<std::int64_t>::min());
  for (const LabelVolume* volume : {&atlases_.white, &atlases_.grey, &atlases_.brain}) {
    const imaging::Index3& size = volume->grid().size();
    for (int corner = 0; corner < 8; ++corner) {
      const imaging::Vec3 world =
          volume->grid().worldOf({corner & 1 ? size[0] - 1 : 0, corner & 2 ? size[1] - 1 : 0,
                                  corner & 4 ? size[2] - 1 : 0});
      for (std::size_t axis = 0; axis < 3; ++axis) {
        low[axis] = std::min(low[axis], static_cast<std::int64_t>(std::floor(world[axis])) - 1);
        high[axis] = std::max(high[axis], static_cast<std::int64_t>(std::ceil(world[axis])) + 1);
      }
    }
  }
  table_.origin = low;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    table_.size[axis] = high[axis] - low[axis] + 1;
  }
  auto keys = std::make_shared<std::vector<std::uint16_t>>(
      static_cast<std::size_t>(table_.size[0] * table_.size[1] * table_.size[2]));
  // Slices of z on every processor: the searches around unlabelled brain voxels dominate.
  std::atomic<std::int64_t> nextSlice{low[2]};
  auto work = [&] {
    for (std::int64_t z = nextSlice++; z <= high[2]; z = nextSlice++) {
      fillTableSlice(z, *keys);
    }
  };
  std::vector<std::thread> helpers(std::max(1U, std::thread::hardware_concurrency()) - 1);
  for (std::thread& helper : helpers) {
    helper = std::thread(work);
  }
  work();
  for (std::thread& helper : helpers) {
    helper.join();
  }
  table_.keys = *keys;
  table_.owner = std::move(keys);
}

void Labeller::fillTableSlice(std::int64_t z, std::vector<std::uint16_t>& keys) const {
  const MniPoint& low = table_.origin;
  auto at = static_cast<std::size_t>(table_.size[0] * table_.size[1] * (z - low[2]));
  for (std::int64_t y = low[1]; y < low[1] + table_.size[1]; ++y) {
    for (std::int64_t x = low[0]; x < low[0] + table_.size[0]; ++x) {
      // Left stands in for the query's side; the key records where the side came from.
      const TissueLabel label = labelAtMni({x, y, z}, Side::Left);
      auto key = static_cast<std::uint16_t>(label.key());
      const bool sideFromQuery =
          label.tier != Tier::Outside &&
          (label.source == Source::None || !naming(label.source, label.value).side.has_value());
      if (sideFromQuery) {
        key = static_cast<std::uint16_t>((key & ~(3U << 12)) | kQuerySide << 12);
      }
      keys[at++] = key;
    }
  }
}

void Labeller::prefetchTableAt(const MniPoint& mni) const {
  const auto x = static_cast<std::uint64_t>(mni[0] - table_.origin[0]);
  const auto y = static_cast<std::uint64_t>(mni[1] - table_.origin[1]);
  const auto z = static_cast<std::uint64_t>(mni[2] - table_.origin[2]);
  const auto sx = static_cast<std::uint64_t>(table_.size[0]);
  const auto sy = static_cast<std::uint64_t>(table_.size[1]);
  if (x < sx && y < sy && z < static_cast<std::uint64_t>(table_.size[2])) {
    __builtin_prefetch(&table_.keys[x + sx * (y + sy * z)]);
  }
}

std::uint16_t Labeller::tableKeyOf(const MniPoint& mni) const {
  // Unsigned, an offset below the origin is as far out as one beyond the end.
  const auto x = static_cast<std::uint64_t>(mni[0] - table_.origin[0]);
  const auto y = static_cast<std::uint64_t>(mni[1] - table_.origin[1]);
  const auto z = static_cast<std::uint64_t>(mni[2] - table_.origin[2]);
  const auto sx = static_cast<std::uint64_t>(table_.size[0]);
  const auto sy = static_cast<std::uint64_t>(table_.size[1]);
  if (x >= sx || y >= sy || z >= static_cast<std::uint64_t>(table_.size[2])) {
    return static_cast<std::uint16_t>(TissueLabel{}.key());
  }
  return table_.keys[x + sx * (y + sy * z)];
}

std::uint16_t Labeller::withQuerySide(std::uint16_t key, Side querySide) {
  if ((key >> 12 & 3) != kQuerySide) {
    return key;
  }
  return static_cast<std::uint16_t>((key & ~(3U << 12)) | static_cast<unsigned>(querySide) << 12);
}

TissueLabel Labeller::labelOfKey(std::uint16_t key) {
  const unsigned k = key;
  return {static_cast<Tier>(k & 3), static_cast<Source>(k >> 2 & 3),
          static_cast<std::uint8_t>(k >> 4 & 0xFF), static_cast<Side>(k >> 12 & 3),
          static_cast<Tissue>(k >> 14 & 3)};
}

std::vector<std::pair<TissueLabel, int>> Labeller::countCube(const TalairachPoint& centre,
                                                             long long half) const {
  if (half < 0 || half > kMaxCubeHalf) {
    throw std::invalid_argument("cube half-size out of range");
  }
  // Far beyond every grid, and small enough for the rounding below to stay exact.
  constexpr long long kFar = 1'000'000'000'000;
  if (std::abs(centre.x) > kFar || std::abs(centre.y) > kFar || std::abs(centre.z) > kFar) {
    return {};
  }
  // Each product of the transform is formed once per coordinate and summed in applyAffine's
  // order, x's product plus y's first, so every point rounds exactly as tissueAt rounds it.
  const imaging::Affine& a = imaging::talairachToMni();
  const auto side = static_cast<std::size_t>(2 * half + 1);
  constexpr std::size_t kMaxSide = 2 * kMaxCubeHalf + 1;
  const std::array<long long, 3> c{centre.x - half, centre.y - half, centre.z - half};
  std::array<std::array<double, kMaxSide * kMaxSide>, 3> xy{};  // [row][dy * side + dx]
  std::array<std::array<double, kMaxSide>, 3> zs{};             // [row][dz]
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t dy = 0; dy < side; ++dy) {
      for (std::size_t dx = 0; dx < side; ++dx) {
        xy[row][dy * side + dx] =
            a[row][0] * static_cast<double>(c[0] + static_cast<long long>(dx)) +
            a[row][1] * static_cast<double>(c[1] + static_cast<long long>(dy));
      }
    }
    for (std::size_t dz = 0; dz < side; ++dz) {
      zs[row][dz] = a[row][2] * static_cast<double>(c[2] + static_cast<long long>(dz));
    }
  }
  // The cube reads a short run of the table on each of its rows; asking for every row's
  // memory first lets the misses overlap instead of following one another.
  for (std::size_t dz = 0; dz < side; ++dz) {
    for (std::size_t dy = 0; dy < side; ++dy) {
      const std::size_t first = dy * side;
      prefetchTableAt({floorHalfUp(xy[0][first] + zs[0][dz] + a[0][3]),
                       floorHalfUp(xy[1][first] + zs[1][dz] + a[1][3]),
                       floorHalfUp(xy[2][first] + zs[2][dz] + a[2][3])});
    }
  }
  std::vector<std::uint16_t> keys;
  std::vector<int> counts;
  std::size_t last = 0;
  for (std::size_t dz = 0; dz < side; ++dz) {
    for (std::size_t dxy = 0; dxy < side * side; ++dxy) {
      const MniPoint mni{floorHalfUp(xy[0][dxy] + zs[0][dz] + a[0][3]),
                         floorHalfUp(xy[1][dxy] + zs[1][dz] + a[1][3]),
                         floorHalfUp(xy[2][dxy] + zs[2][dz] + a[2][3])};
      std::uint16_t key = tableKeyOf(mni);
      if (static_cast<Tier>(key & 3) == Tier::Outside) {
        continue;
      }
      key = withQuerySide(key, sideOfX(c[0] + static_cast<long long>(dxy % side)));
      if (last >= keys.size() || keys[last] != key) {
        last = static_cast<std::size_t>(std::find(keys.begin(), keys.end(), key) - keys.begin());
        if (last == keys.size()) {
          keys.push_back(key);
          counts.push_back(0);
        }
      }
      ++counts[last];
    }
  }
  std::vector<std::pair<TissueLabel, int>> result;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    result.emplace_back(labelOfKey(keys[i]), counts[i]);
  }
  return result;
}

}  // namespace orvod
