// Tests of the keyed atlases against the files themselves: each voxel read with nifticlib and
// located through the test's own matrices, the nearest label found by brute force.
#include "atlas/label_atlas.hpp"

#include <gtest/gtest.h>
#include <nifti2_io.h>

#include <cmath>
#include <memory>
#include <random>

#include "tests/atlas/atlas_fixture.hpp"
#include "atlas/nearby_labels.hpp"

namespace atlas {
namespace {

using imaging::Vec3;

constexpr double kRadius = 10;

// What the file says at a point, found without the code under test; 0: no label.
struct Expected {
  std::int64_t value = 0;
  std::int64_t nearestValue = 0;
  double nearestMm = 0;
};

class IndependentAtlas {
 public:
  explicit IndependentAtlas(const AtlasEntry& entry)
      : image_(nifti_image_read(
                   (std::string(ATLAS_TEST_DATA_DIR) + "/" + std::string(entry.file)).c_str(), 1),
               &nifti_image_free) {
    EXPECT_EQ(image_->datatype, DT_UINT8);
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 4; ++c) {
        toVoxel_[r][c] = image_->sto_ijk.m[r][c];
      }
    }
    // The shipped JHU header puts x the wrong way round; the corrected grid runs x from +90
    // downwards like the other 1 mm atlases.
    if (entry.whiteMatterHeaderFix) {
      toVoxel_ = {{{-1, 0, 0, 90}, {0, 1, 0, 126}, {0, 0, 1, 72}}};
    }
    spacing_ = {std::abs(image_->dx), std::abs(image_->dy), std::abs(image_->dz)};
  }

  Expected at(const Vec3& mni) const {
    std::array<std::int64_t, 3> v{};
    for (int r = 0; r < 3; ++r) {
      const auto& m = toVoxel_[r];
      v[r] = std::llround(std::floor(m[0] * mni[0] + m[1] * mni[1] + m[2] * mni[2] + m[3] + 0.5));
    }
    Expected e{valueAt(v[0], v[1], v[2]), 0, 0};
    double best = HUGE_VAL;
    const auto reach = static_cast<std::int64_t>(kRadius);
    for (std::int64_t dk = -reach; dk <= reach; ++dk) {
      for (std::int64_t dj = -reach; dj <= reach; ++dj) {
        for (std::int64_t di = -reach; di <= reach; ++di) {
          const std::int64_t value = valueAt(v[0] + di, v[1] + dj, v[2] + dk);
          const double d = std::hypot(di * spacing_[0], dj * spacing_[1], dk * spacing_[2]);
          if (value != 0 && d <= kRadius + 1e-9 &&
              (d < best - 1e-9 || (d <= best + 1e-9 && value < e.nearestValue))) {
            e.nearestValue = value;
            best = std::min(best, d);
          }
        }
      }
    }
    e.nearestMm = e.nearestValue != 0 ? best : 0;
    return e;
  }

 private:
  std::int64_t valueAt(std::int64_t i, std::int64_t j, std::int64_t k) const {
    if (i < 0 || j < 0 || k < 0 || i >= image_->nx || j >= image_->ny || k >= image_->nz) {
      return 0;
    }
    return static_cast<const std::uint8_t*>(image_->data)[i + image_->nx * (j + image_->ny * k)];
  }

  std::unique_ptr<nifti_image, decltype(&nifti_image_free)> image_;
  std::array<std::array<double, 4>, 3> toVoxel_{};
  std::array<double, 3> spacing_{};
};

void expectAgreement(const LabelAtlas& atlas, const NearbyLabels& search, const Vec3& mni,
                     const Expected& e) {
  const VoxelIndex voxel = atlas.grid().nearestVoxel(mni);
  const std::uint16_t index = atlas.indexAt(voxel);
  EXPECT_EQ(index == 0 ? 0 : atlas.label(index).value, e.value);
  const std::optional<LabelDistance> nearest = search.nearest(voxel, kRadius);
  EXPECT_EQ(nearest ? atlas.label(nearest->index).value : 0, e.nearestValue);
  EXPECT_NEAR(nearest ? nearest->distanceMm : 0, e.nearestMm, 1e-9);
}

TEST(KeyedAtlases, AgreeWithTheFilesReadIndependently) {
  ATLAS_SKIP_WITHOUT_DATA();
  // Inside labels, unlabelled next to one, ties, both sides of the midline, outside each grid
  // (x beyond +-90 or +-78, y below -126, z below -71 or -50, above 109), half-voxel points.
  const Vec3 table[] = {
      {-38, -22, 56}, {-6, 54, 4},   {26, 36, -23},  {37, -23, 34},        {-13, 26, -8},
      {21, -11, -10}, {-9, -56, 41}, {20, 34, -13},  {-27, 33, 13},        {-7, -3, 24},
      {65, -58, -20}, {-5, -9, 56},  {-1, -60, -20}, {1, -60, -20},        {-2, 10, 40},
      {2, 10, 40},    {93, -20, 10}, {-80, -20, 10}, {0, -129, 0},         {0, -40, -55},
      {0, 0, -75},    {0, 0, 112},   {-37, -22, 56}, {-37.5, -22.4, 55.6},
  };
  std::mt19937 random(7);
  std::uniform_real_distribution<double> x(-95, 95), y(-130, 95), z(-80, 110);
  std::vector<Vec3> points(std::begin(table), std::end(table));
  for (int i = 0; i < 300; ++i) {
    points.push_back({x(random), y(random), z(random)});
  }
  for (const AtlasEntry& entry : atlasCatalogue()) {
    SCOPED_TRACE(std::string(entry.key));
    const LabelAtlas atlas = loadLabelAtlas(entry, ATLAS_TEST_DATA_DIR);
    const IndependentAtlas file(entry);
    const NearbyLabels scanned(atlas, kRadius, false), mapped(atlas, kRadius, true);
    for (const Vec3& p : points) {
      SCOPED_TRACE(::testing::Message() << p[0] << "," << p[1] << "," << p[2]);
      const Expected e = file.at(p);
      expectAgreement(atlas, scanned, p, e);
      expectAgreement(atlas, mapped, p, e);
    }
  }
}

TEST(KeyedAtlases, NameTheirValuesFromTheirOwnTables) {
  ATLAS_SKIP_WITHOUT_DATA();
  const std::tuple<const char*, std::int64_t, const char*, std::size_t> cases[] = {
      {"aal", 57, "Postcentral_L", 116},
      {"ho-cort", 7, "Precentral Gyrus", 48},
      {"jhu-wm", 4, "Body_of_corpus_callosum", 48},
      {"aicha", 192, "N_Thalamus-9", 192},
      {"jhu189", 189, "PSIG_R", 189},
      {"natbrainlab", 116, "Uncinate_Right", 32},
  };
  for (const auto& [key, value, name, count] : cases) {
    const LabelAtlas atlas = loadLabelAtlas(*findAtlasEntry(key), ATLAS_TEST_DATA_DIR);
    std::string found;
    for (std::uint16_t i = 1; i <= atlas.provenance().labels; ++i) {
      found = atlas.label(i).value == value ? atlas.label(i).name : found;
    }
    EXPECT_EQ(found, name) << key;
    EXPECT_EQ(atlas.provenance().labels, count) << key;
  }
}

TEST(SelectAtlases, KeepsTheOrderGivenOnceAndRefusesUnknownKeys) {
  const std::vector<const AtlasEntry*> chosen = selectAtlases("jhu189,aal,jhu189");
  ASSERT_EQ(chosen.size(), 2U);
  EXPECT_EQ(chosen[0]->key, "jhu189");
  EXPECT_EQ(chosen[1]->key, "aal");
  for (const char* bad : {"", "aal,", "AAL", "brodmann", "aal,,ho-cort"}) {
    EXPECT_THROW(selectAtlases(bad), std::invalid_argument) << bad;
  }
}

}  // namespace
}  // namespace atlas
