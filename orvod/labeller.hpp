// Labels one Talairach point from the atlases: the tissue label of Code 2 and the Quendel
// parcel of Code 1.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "orvod/atlas_set.hpp"
#include "orvod/vocabulary.hpp"

namespace orvod {

struct TalairachPoint {
  long long x, y, z;  // wider than the request's 32 bits, so cube offsets cannot overflow
};

enum class Tier : unsigned char {
  WhiteMatter,  // a white-matter tract
  GreyMatter,   // a grey-matter region
  Unlabelled,   // inside the brain, described by the nearest labelled voxel and the T1 intensity
  Outside,
};

enum class Source : unsigned char { None, WhiteAtlas, GreyAtlas };
enum class Tissue : unsigned char { Fluid, Grey, White };

// Everything a Code 2 answer depends on, small enough to count cube points by.
struct TissueLabel {
  Tier tier = Tier::Outside;
  Source source = Source::None;  // the atlas that labelled the point or its nearest neighbour
  std::uint8_t value = 0;        // the label value in that atlas
  Side side = Side::Midline;
  Tissue tissue = Tissue::Grey;  // meaningful for Tier::Unlabelled only

  std::uint32_t key() const;
  bool operator==(const TissueLabel&) const = default;
};

// Every integer MNI point's TissueLabel in 16 bits, x fastest, over a box that holds every
// atlas (Tier::Outside beyond it), its side replaced by Labeller::kQuerySide where it is the
// query's. Built once from the atlases; a compiled copy answers as the built one does.
struct AnswerTable {
  std::array<std::int64_t, 3> origin{}, size{};
  std::span<const std::uint16_t> keys;
  std::shared_ptr<const void> owner;  // what holds the keys: the vector built, or a compiled file
};

class Labeller {
 public:
  // Builds the answer table from the atlases.
  explicit Labeller(AtlasSet atlases);
  // Answers from `table`, built before from the same atlases, whose grey, white and brain
  // volumes are then not needed and may be left empty.
  Labeller(AtlasSet atlases, AnswerTable table);

  const AnswerTable& answerTable() const { return table_; }
  static constexpr std::uint16_t kQuerySide = 3;

  TissueLabel tissueAt(const TalairachPoint& point) const;
  static constexpr long long kMaxCubeHalf = 5;

  // Every point of the cube of side 2 * half + 1 (half at most kMaxCubeHalf) around `centre`
  // counted by its tissueAt answer, in the order the answers are first met; points outside the
  // brain are left out. Reads the answer table, so a cube of 1331 points costs little more than
  // one point.
  std::vector<std::pair<TissueLabel, int>> countCube(const TalairachPoint& centre,
                                                     long long half) const;
  // The Quendel parcel value; 0 where there is none.
  std::uint8_t parcelAt(const TalairachPoint& point) const;

  // "hemisphere,lobe,region,tissue,finer"; the label must not be Tier::Outside.
  std::string describe(const TissueLabel& label) const;
  // "side,kind,structure,parcel"; the parcel value must be nonzero.
  std::string describeParcel(const TalairachPoint& point, std::uint8_t parcel) const;

 private:
  struct Naming {
    std::string name;  // empty: the value is not a label
    std::string hemisphereKind, lobe, region;
    std::optional<Side> side;
  };
  struct ParcelNaming {
    std::string name;  // empty: the value is not a parcel
    std::string kind, structure;
  };

  using MniPoint = std::array<std::int64_t, 3>;  // whole millimetres

  void buildAnswerTable();
  void fillTableSlice(std::int64_t z, std::vector<std::uint16_t>& keys) const;
  std::uint16_t tableKeyOf(const MniPoint& mni) const;
  static std::uint16_t withQuerySide(std::uint16_t key, Side querySide);
  static TissueLabel labelOfKey(std::uint16_t key);
  void prefetchTableAt(const MniPoint& mni) const;

  TissueLabel labelAtMni(const MniPoint& mni, Side sideOfQuery) const;
  TissueLabel nearestLabel(const MniPoint& mni, Side sideOfQuery, Tissue tissue) const;
  std::uint8_t whiteAt(const MniPoint& mni) const;
  std::uint8_t greyAt(const MniPoint& mni) const;
  const Naming& naming(Source source, std::uint8_t value) const;

  AtlasSet atlases_;
  std::array<Naming, 256> white_, grey_;
  std::array<ParcelNaming, 256> parcels_;
  AnswerTable table_;
};

}  // namespace orvod
