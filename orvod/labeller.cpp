// Labels one Talairach point from the atlases: the tissue label of Code 2 and the Quendel
// parcel of Code 1.
#include "orvod/labeller.hpp"

#include "imaging/talairach.hpp"

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

namespace orvod {
namespace {

using imaging::applyAffine;
using imaging::roundHalfUp;
using imaging::Vec3;

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
  const Vec3 mni = roundHalfUp(applyAffine(imaging::talairachToMni(), toVec(point)));
  constexpr double kFar = 1e9;
  if (std::abs(mni[0]) > kFar || std::abs(mni[1]) > kFar || std::abs(mni[2]) > kFar) {
    return std::nullopt;
  }
  return std::array<std::int64_t, 3>{static_cast<std::int64_t>(mni[0]),
                                     static_cast<std::int64_t>(mni[1]),
                                     static_cast<std::int64_t>(mni[2])};
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

Labeller::Labeller(AtlasSet atlases) : Labeller(std::move(atlases), AnswerTable{}) {
  buildAnswerTable();
}

Labeller::Labeller(AtlasSet atlases, AnswerTable table)
    : atlases_(std::move(atlases)), table_(std::move(table)) {
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
}

TissueLabel Labeller::tissueAt(const TalairachPoint& point) const {
  // The table answers every point as labelAtMni does, whichever side the query is on.
  const std::optional<MniPoint> mni = roundedMni(point);
  return mni ? labelOfKey(withQuerySide(tableKeyOf(*mni), sideOfX(point.x))) : TissueLabel{};
}

std::uint8_t Labeller::parcelAt(const TalairachPoint& point) const {
  // The 2 mm parcel grid is sampled at the exact MNI point: rounding to 1 mm first would
  // shift half the points into the neighbouring 2 mm voxel.
  const std::uint8_t value = atlases_.parcels.atWorld(applyAffine(imaging::talairachToMni(), toVec(point)));
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

}  // namespace orvod
