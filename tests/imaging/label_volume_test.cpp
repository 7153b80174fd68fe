// Tests of the NIfTI label reader on small files the test writes with nifticlib.
#include "imaging/label_volume.hpp"

#include <gtest/gtest.h>
#include <nifti2_io.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace atlas {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kNx = 4, kNy = 3, kNz = 2;

// 2 mm voxels with x running right to left, as radiological atlases store them.
const Affine kSform{{{-2, 0, 0, 10}, {0, 2, 0, -3}, {0, 0, 2, 1}}};
const Affine kQform{{{1, 0, 0, -5}, {0, 1, 0, -6}, {0, 0, 1, -7}}};

std::uint8_t valueOf(std::int64_t i, std::int64_t j, std::int64_t k) {
  return static_cast<std::uint8_t>(1 + i + kNx * (j + kNy * k));
}

nifti_dmat44 toMatrix(const Affine& a) {
  nifti_dmat44 m{};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      m.m[row][col] = a[row][col];
    }
  }
  m.m[3][3] = 1;
  return m;
}

void setSform(nifti_image& image, const Affine& a) {
  image.sform_code = NIFTI_XFORM_ALIGNED_ANAT;
  image.sto_xyz = toMatrix(a);
}

void setQform(nifti_image& image, const Affine& a) {
  image.qform_code = NIFTI_XFORM_SCANNER_ANAT;
  nifti_dmat44_to_quatern(toMatrix(a), &image.quatern_b, &image.quatern_c, &image.quatern_d,
                          &image.qoffset_x, &image.qoffset_y, &image.qoffset_z, &image.dx,
                          &image.dy, &image.dz, &image.qfac);
}

using Adjust = std::function<void(nifti_image&)>;

class VolumeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "orvod-volume-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A kNx x kNy x kNz volume of distinct values, oriented by kSform unless `adjust` says else.
  std::string write(const std::string& name, const Adjust& adjust = {}, int datatype = DT_UINT8,
                    std::int64_t nt = 1) {
    const int64_t dims[8] = {nt > 1 ? 4 : 3, kNx, kNy, kNz, nt, 1, 1, 1};
    nifti_image* image = nifti_make_new_nim(dims, datatype, 1);
    if (datatype == DT_UINT8) {
      for (std::int64_t n = 0; n < kNx * kNy * kNz; ++n) {
        static_cast<std::uint8_t*>(image->data)[n] = static_cast<std::uint8_t>(n + 1);
      }
    }
    image->nifti_type = NIFTI_FTYPE_NIFTI1_1;
    setSform(*image, kSform);
    if (adjust) {
      adjust(*image);
    }
    std::string path = (dir_ / name).string();
    nifti_set_filenames(image, path.c_str(), 0, 1);
    nifti_image_write(image);
    nifti_image_free(image);
    return path;
  }

  fs::path dir_;
};

Vec3 asVec(std::int64_t x, std::int64_t y, std::int64_t z) {
  return {static_cast<double>(x), static_cast<double>(y), static_cast<double>(z)};
}

Vec3 centreOf(std::int64_t i, std::int64_t j, std::int64_t k) {
  return applyAffine(kSform, asVec(i, j, k));
}

TEST_F(VolumeFile, FindsEveryVoxelAtItsCentreInPlainAndCompressedFiles) {
  for (const char* name : {"plain.nii", "packed.nii.gz"}) {
    const LabelVolume volume = readLabelVolume(write(name));
    ASSERT_EQ(volume.nx() * volume.ny() * volume.nz(), kNx * kNy * kNz);
    for (std::int64_t k = 0; k < kNz; ++k) {
      for (std::int64_t j = 0; j < kNy; ++j) {
        for (std::int64_t i = 0; i < kNx; ++i) {
          EXPECT_EQ(volume.at(centreOf(i, j, k)), valueOf(i, j, k)) << name << i << j << k;
        }
      }
    }
    EXPECT_EQ(volume.at(centreOf(-1, 0, 0)), 0);
    EXPECT_EQ(volume.at(centreOf(kNx, 0, 0)), 0);
    EXPECT_EQ(volume.at({1e300, 0, 0}), 0);
    // Half-way between voxels, and half a voxel outside, round up.
    EXPECT_EQ(volume.at({7, -3, 1}), valueOf(2, 0, 0));
    EXPECT_EQ(volume.at({11, -3, 1}), valueOf(0, 0, 0));
  }
}

// The integer path must be a faster route to the same voxel, on unit grids in any orientation
// and on grids it does not cover.
TEST_F(VolumeFile, LooksUpIntegerPointsAsTheGeneralPathDoes) {
  const Affine grids[] = {
      kSform,
      {{{-1, 0, 0, 2}, {0, 1, 0, -1}, {0, 0, 1, 0}}},
      {{{0, 1, 0, 3}, {0, 0, -1, 1}, {1, 0, 0, -2}}},
      {{{1, 0, 0, 0.5}, {0, 1, 0, 0}, {0, 0, 1, 0}}},
  };
  for (const Affine& grid : grids) {
    const LabelVolume volume =
        readLabelVolume(write("grid.nii", [&](nifti_image& image) { setSform(image, grid); }));
    int found = 0;
    for (std::int64_t z = -12; z <= 12; ++z) {
      for (std::int64_t y = -12; y <= 12; ++y) {
        for (std::int64_t x = -12; x <= 12; ++x) {
          const std::uint8_t value = volume.at(asVec(x, y, z));
          ASSERT_EQ(volume.atIntegerPoint({x, y, z}), value) << x << "," << y << "," << z;
          found += value != 0;
        }
      }
    }
    EXPECT_GT(found, 0);
  }
}

TEST_F(VolumeFile, PrefersTheSformToTheQformAndFallsBackToIt) {
  EXPECT_EQ(readLabelVolume(write("both.nii", [](nifti_image& image) { setQform(image, kQform); }))
                .voxelToWorld(),
            kSform);
  const LabelVolume qformOnly = readLabelVolume(write("qform.nii", [](nifti_image& image) {
    image.sform_code = 0;
    setQform(image, kQform);
  }));
  EXPECT_EQ(qformOnly.at({-5 + 3, -6 + 2, -7 + 1}), valueOf(3, 2, 1));
}

TEST_F(VolumeFile, RefusesFilesThatCannotHoldLabels) {
  const std::string refused[] = {
      write("scaled.nii", [](nifti_image& image) { image.scl_slope = 2; }),
      write("offset.nii",
            [](nifti_image& image) {
              image.scl_slope = 1;
              image.scl_inter = 1;
            }),
      write("unoriented.nii", [](nifti_image& image) { image.sform_code = image.qform_code = 0; }),
      write("singular.nii",
            [](nifti_image& image) {
              setSform(image, {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}}});
            }),
      write("short.nii", {}, DT_INT16),
      write("series.nii", {}, DT_UINT8, 2),
      (dir_ / "absent.nii.gz").string(),
  };
  for (const std::string& path : refused) {
    EXPECT_THROW(readLabelVolume(path), std::runtime_error) << path;
  }
  const std::string text = (dir_ / "text.nii").string();
  std::ofstream(text) << "not an image\n";
  EXPECT_THROW(readLabelVolume(text), std::runtime_error);
}

}  // namespace
}  // namespace atlas
