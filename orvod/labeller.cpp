// Labels one Talairach point from the atlases: the tissue label of Code 2 and the Quendel
// parcel of Code 1.
#include "orvod/labeller.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace atlas {
namespace {

struct Offset {
  int dx, dy, dz;
};

// Every integer offset within 5 mm, nearest first; ties go by z, then y, then x, so the
// neighbour chosen never depends on anything but geometry.
std::vector<Offset> makeSearchOffsets() {
  constexpr int kRadius = 5;
  std::vector<Offset> offsets;
  for (int dz = -kRadius; dz <= kRadius; ++dz) {
    for (int dy = -kRadius; dy <= kRadius; ++dy) {
      for (int dx = -kRadius; dx <= kRadius; ++dx) {
        const int d2 = dx * dx + dy * dy + dz * dz;
        if (d2 > 0 && d2 <= kRadius * kRadius) {
          offsets.push_back({dx, dy, dz});
        }
      }
    }
  }
  auto order = [](const Offset& o) {
    return std::tuple(o.dx * o.dx + o.dy * o.dy + o.dz * o.dz, o.dz, o.dy, o.dx);
  };
  std::sort(offsets.begin(), offsets.end(),
            [&](const Offset& a, const Offset& b) { return order(a) < order(b); });
  return offsets;
}

const std::vector<Offset>& searchOffsets() {
  static const std::vector<Offset> offsets = makeSearchOffsets();
  return offsets;
}

// The valleys of the single-subject T1 histogram between its fluid, grey and white peaks.
Tissue tissueOfIntensity(std::uint8_t intensity) {
  if (intensity < 40) {
    return Tissue::Fluid;
  }
  if (intensity < 102) {
    return Tissue::Grey;
  }
  return Tissue::White;
}

std::string_view tissueName(Tissue tissue) {
  switch (tissue) {
    case Tissue::Fluid:
      return "Cerebro-Spinal Fluid";
    case Tissue::Grey:
      break;
    case Tissue::White:
      return "White Matter";
  }
  return "Gray Matter";
}

Vec3 toVec(const TalairachPoint& p) {
  return {static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z)};
}

// Far beyond every grid; the bound also keeps the conversion to integers defined.
std::optional<std::array<std::int64_t, 3>> roundedMni(const TalairachPoint& point) {
  const Vec3 mni = roundHalfUp(applyAffine(talairachToMni(), toVec(point)));
  constexpr double kFar = 1e9;
  if (std::abs(mni[0]) > kFar || std::abs(mni[1]) > kFar || std::abs(mni[2]) > kFar) {
    return std::nullopt;
  }
  return std::array<std::int64_t, 3>{static_cast<std::int64_t>(mni[0]),
                                     static_cast<std::int64_t>(mni[1]),
                                     static_cast<std::int64_t>(mni[2])};
}

// floor(v + 0.5) without a library call or a branch, for |v| well inside the int64 range.
std::int64_t floorHalfUp(double v) {
  const double shifted = v + 0.5;
  const auto whole = static_cast<std::int64_t>(shifted);
  return whole - static_cast<std::int64_t>(static_cast<double>(whole) > shifted);
}

std::string joinFields(std::initializer_list<std::string_view> fields) {
  std::string text;
  for (std::string_view field : fields) {
    if (!text.empty()) {
      text += ',';
    }
    text += field;
  }
  return text;
}

std::string hemisphere(Side side, std::string_view kind) {
  return std::string(sideName(side)) + ' ' + std::string(kind);
}

}  // namespace

std::uint32_t TissueLabel::key() const {
  return static_cast<std::uint32_t>(tier) | static_cast<std::uint32_t>(source) << 2 |
         static_cast<std::uint32_t>(value) << 4 | static_cast<std::uint32_t>(side) << 12 |
         static_cast<std::uint32_t>(tissue) << 14;
}

Labeller::Labeller(AtlasSet atlases) : atlases_(std::move(atlases)) {
  for (std::size_t v = 1; v < 256; ++v) {
    if (const std::string& tract = atlases_.whiteNames[v].name; !tract.empty()) {
      const std::string group = tractGroup(tract);
      const bool brainstem = isBrainstemGroup(group);
      white_[v] = {tract, brainstem ? "Brainstem" : "Cerebrum",
                   brainstem ? "Brainstem" : "Sub-lobar", group, sideFromSuffix(tract)};
    }
    if (const LabelRow& row = atlases_.greyNames[v]; !row.name.empty()) {
      grey_[v] = {row.name, isCerebellarCode(row.code) ? "Cerebellum" : "Cerebrum",
                  greyLobe(row.name, row.code), greyRegion(row.name), sideFromSuffix(row.name)};
    }
    if (const std::string& parcel = atlases_.parcelNames[v].name; !parcel.empty()) {
      parcels_[v] = {parcel, parcelKind(parcel), parcelStructure(parcel)};
    }
  }
  buildAnswerTable();
}

void Labeller::buildAnswerTable() {
  // Every volume answers 0 beyond its own grid, so the box around all three holds every point
  // whose answer is not Tier::Outside; a voxel's margin covers rounding at the edges.
  MniPoint low{}, high{};
  low.fill(std::numeric_limits<std::int64_t>::max());
  high.fill(std::numeric_limits<std::int64_t>::min());
  for (const LabelVolume* volume : {&atlases_.white, &atlases_.grey, &atlases_.brain}) {
    for (int corner = 0; corner < 8; ++corner) {
      const Vec3 index{corner & 1 ? static_cast<double>(volume->nx() - 1) : 0.0,
                       corner & 2 ? static_cast<double>(volume->ny() - 1) : 0.0,
                       corner & 4 ? static_cast<double>(volume->nz() - 1) : 0.0};
      const Vec3 world = applyAffine(volume->voxelToWorld(), index);
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
  table_.keys.resize(static_cast<std::size_t>(table_.size[0] * table_.size[1] * table_.size[2]));
  // Slices of z on every processor: the searches around unlabelled brain voxels dominate.
  std::atomic<std::int64_t> nextSlice{low[2]};
  auto work = [&] {
    for (std::int64_t z = nextSlice++; z <= high[2]; z = nextSlice++) {
      fillTableSlice(z);
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
}

void Labeller::fillTableSlice(std::int64_t z) {
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
      table_.keys[at++] = key;
    }
  }
}

TissueLabel Labeller::tissueAt(const TalairachPoint& point) const {
  const std::optional<MniPoint> mni = roundedMni(point);
  return mni ? labelAtMni(*mni, sideOfX(point.x)) : TissueLabel{};
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
  const Affine& a = talairachToMni();
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
      if ((key >> 12 & 3) == kQuerySide) {
        const Side querySide = sideOfX(c[0] + static_cast<long long>(dxy % side));
        key = static_cast<std::uint16_t>((key & ~(3U << 12)) | static_cast<unsigned>(querySide)
                                                                   << 12);
      }
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
    const unsigned k = keys[i];
    result.emplace_back(
        TissueLabel{static_cast<Tier>(k & 3), static_cast<Source>(k >> 2 & 3),
                    static_cast<std::uint8_t>(k >> 4 & 0xFF), static_cast<Side>(k >> 12 & 3),
                    static_cast<Tissue>(k >> 14 & 3)},
        counts[i]);
  }
  return result;
}

std::uint8_t Labeller::parcelAt(const TalairachPoint& point) const {
  // The 2 mm parcel grid is sampled at the exact MNI point: rounding to 1 mm first would
  // shift half the points into the neighbouring 2 mm voxel.
  const std::uint8_t value = atlases_.parcels.at(applyAffine(talairachToMni(), toVec(point)));
  return parcels_[value].name.empty() ? 0 : value;
}

TissueLabel Labeller::labelAtMni(const MniPoint& mni, Side sideOfQuery) const {
  if (const std::uint8_t v = whiteAt(mni)) {
    return {Tier::WhiteMatter, Source::WhiteAtlas, v, white_[v].side.value_or(sideOfQuery)};
  }
  if (const std::uint8_t v = greyAt(mni)) {
    return {Tier::GreyMatter, Source::GreyAtlas, v, grey_[v].side.value_or(sideOfQuery)};
  }
  if (const std::uint8_t intensity = atlases_.brain.atIntegerPoint(mni)) {
    return nearestLabel(mni, sideOfQuery, tissueOfIntensity(intensity));
  }
  return {};
}

TissueLabel Labeller::nearestLabel(const MniPoint& mni, Side sideOfQuery, Tissue tissue) const {
  for (const Offset& o : searchOffsets()) {
    const MniPoint p{mni[0] + o.dx, mni[1] + o.dy, mni[2] + o.dz};
    if (const std::uint8_t v = whiteAt(p)) {
      return {Tier::Unlabelled, Source::WhiteAtlas, v, white_[v].side.value_or(sideOfQuery),
              tissue};
    }
    if (const std::uint8_t v = greyAt(p)) {
      return {Tier::Unlabelled, Source::GreyAtlas, v, grey_[v].side.value_or(sideOfQuery), tissue};
    }
  }
  return {Tier::Unlabelled, Source::None, 0, sideOfQuery, tissue};
}

std::uint8_t Labeller::whiteAt(const MniPoint& mni) const {
  const std::uint8_t v = atlases_.white.atIntegerPoint(mni);
  return white_[v].name.empty() ? 0 : v;
}

std::uint8_t Labeller::greyAt(const MniPoint& mni) const {
  const std::uint8_t v = atlases_.grey.atIntegerPoint(mni);
  return grey_[v].name.empty() ? 0 : v;
}

const Labeller::Naming& Labeller::naming(Source source, std::uint8_t value) const {
  return source == Source::WhiteAtlas ? white_[value] : grey_[value];
}

std::string Labeller::describe(const TissueLabel& label) const {
  if (label.tier == Tier::Unlabelled) {
    if (label.source == Source::None) {
      return joinFields(
          {hemisphere(label.side, "Cerebrum"), "None", "None", tissueName(label.tissue), "None"});
    }
    const Naming& n = naming(label.source, label.value);
    return joinFields({hemisphere(label.side, n.hemisphereKind), n.lobe, "None",
                       tissueName(label.tissue), "None"});
  }
  const Naming& n = naming(label.source, label.value);
  const bool white = label.tier == Tier::WhiteMatter;
  return joinFields({hemisphere(label.side, n.hemisphereKind), n.lobe, n.region,
                     white ? "White Matter" : "Gray Matter", n.name});
}

std::string Labeller::describeParcel(const TalairachPoint& point, std::uint8_t parcel) const {
  const ParcelNaming& n = parcels_[parcel];
  return joinFields({sideName(sideOfX(point.x)), n.kind, n.structure, n.name});
}

}  // namespace atlas
