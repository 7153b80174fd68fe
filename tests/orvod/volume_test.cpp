// Tests of the NIfTI label reader on small files the test writes with nifticlib.
#include "orvod/volume.hpp"

#include <gtest/gtest.h>
#include <nifti2_io.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace orvod {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kNx = 4, kNy = 3, kNz = 2;

// 2 mm voxels with x running right to left, as radiological atlases store them.
const Affine kSform{{{-2, 0, 0, 10}, {0, 2, 0, -3}, {0, 0, 2, 1}}};
const Affine kQform{{{1, 0, 0, -5}, {0, 1, 0, -6}, {0, 0, 1, -7}}};

std::uint8_t valueOfVoxel(std::int64_t i, std::int64_t j, std::int64_t k) {
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

class VolumeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "orvod-volume-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    nifti_set_debug_level(0);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Writes a kNx*kNy*kNz file, x fastest, after `adjust` has edited the image.
  std::string write(const std::string& name, const std::function<void(nifti_image&)>& adjust) {
    const int64_t dims[8] = {3, kNx, kNy, kNz, 1, 1, 1, 1};
    nifti_image* image = nifti_make_new_nim(dims, DT_UINT8, 1);
    auto* voxels = static_cast<std::uint8_t*>(image->data);
    for (std::int64_t k = 0; k < kNz; ++k) {
      for (std::int64_t j = 0; j < kNy; ++j) {
        for (std::int64_t i = 0; i < kNx; ++i) {
          voxels[i + kNx * (j + kNy * k)] = valueOfVoxel(i, j, k);
        }
      }
    }
    image->nifti_type = NIFTI_FTYPE_NIFTI1_1;
    setSform(*image, kSform);
    adjust(*image);
    std::string path = (dir_ / name).string();
    nifti_set_filenames(image, path.c_str(), 0, 1);
    nifti_image_write(image);
    nifti_image_free(image);
    return path;
  }

  static void setSform(nifti_image& image, const Affine& a) {
    image.sform_code = NIFTI_XFORM_ALIGNED_ANAT;
    image.sto_xyz = toMatrix(a);
  }

  static void setQform(nifti_image& image, const Affine& a) {
    image.qform_code = NIFTI_XFORM_SCANNER_ANAT;
    nifti_dmat44_to_quatern(toMatrix(a), &image.quatern_b, &image.quatern_c, &image.quatern_d,
                            &image.qoffset_x, &image.qoffset_y, &image.qoffset_z, &image.dx,
                            &image.dy, &image.dz, &image.qfac);
  }

  fs::path dir_;
};

Vec3 centreOfVoxel(std::int64_t i, std::int64_t j, std::int64_t k) {
  return applyAffine(kSform,
                     {static_cast<double>(i), static_cast<double>(j), static_cast<double>(k)});
}

void expectEveryVoxelAtItsCentre(const LabelVolume& volume) {
  ASSERT_EQ(volume.nx(), kNx);
  ASSERT_EQ(volume.ny(), kNy);
  ASSERT_EQ(volume.nz(), kNz);
  for (std::int64_t k = 0; k < kNz; ++k) {
    for (std::int64_t j = 0; j < kNy; ++j) {
      for (std::int64_t i = 0; i < kNx; ++i) {
        EXPECT_EQ(volume.at(centreOfVoxel(i, j, k)), valueOfVoxel(i, j, k)) << i << j << k;
      }
    }
  }
}

TEST_F(VolumeFile, ReadsPlainAndCompressedFilesThroughTheSform) {
  for (const char* name : {"plain.nii", "packed.nii.gz"}) {
    SCOPED_TRACE(name);
    expectEveryVoxelAtItsCentre(readLabelVolume(write(name, [](nifti_image&) {})));
  }
}

TEST_F(VolumeFile, AnswersZeroOutsideTheGridAndRoundsHalvesUp) {
  const LabelVolume volume = readLabelVolume(write("grid.nii", [](nifti_image&) {}));
  EXPECT_EQ(volume.at(centreOfVoxel(-1, 0, 0)), 0);
  EXPECT_EQ(volume.at(centreOfVoxel(kNx, 0, 0)), 0);
  EXPECT_EQ(volume.at(centreOfVoxel(0, 0, kNz)), 0);
  EXPECT_EQ(volume.at({1e300, 0, 0}), 0);
  // World x 7 lies half-way between voxels i = 1 and i = 2.
  EXPECT_EQ(volume.at({7, -3, 1}), valueOfVoxel(2, 0, 0));
  // Voxel coordinate -0.5 rounds up into the grid.
  EXPECT_EQ(volume.at({11, -3, 1}), valueOfVoxel(0, 0, 0));
}

TEST_F(VolumeFile, PrefersTheSformToADisagreeingQform) {
  const LabelVolume volume =
      readLabelVolume(write("both.nii", [](nifti_image& image) { setQform(image, kQform); }));
  EXPECT_EQ(volume.voxelToWorld(), kSform);
}

TEST_F(VolumeFile, FallsBackToTheQformWithoutAnSform) {
  const LabelVolume volume = readLabelVolume(write("qform.nii", [](nifti_image& image) {
    image.sform_code = 0;
    setQform(image, kQform);
  }));
  EXPECT_EQ(volume.at({-5 + 3, -6 + 2, -7 + 1}), valueOfVoxel(3, 2, 1));
}

TEST_F(VolumeFile, RefusesFilesThatCannotHoldLabels) {
  struct Case {
    const char* name;
    std::function<void(nifti_image&)> adjust;
  };
  const Case cases[] = {
      {"scaled.nii", [](nifti_image& image) { image.scl_slope = 2; }},
      {"offset.nii",
       [](nifti_image& image) {
         image.scl_slope = 1;
         image.scl_inter = 1;
       }},
      {"unoriented.nii",
       [](nifti_image& image) {
         image.sform_code = 0;
         image.qform_code = 0;
       }},
      {"singular.nii",
       [](nifti_image& image) {
         setSform(image, Affine{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}}});
       }},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(readLabelVolume(write(c.name, c.adjust)), std::runtime_error) << c.name;
  }
}

TEST_F(VolumeFile, RefusesOtherVoxelTypesAndSeries) {
  const int64_t shortDims[8] = {3, 2, 2, 2, 1, 1, 1, 1};
  const int64_t seriesDims[8] = {4, 2, 2, 2, 2, 1, 1, 1};
  struct Case {
    const char* name;
    const int64_t* dims;
    int datatype;
  };
  for (const Case& c :
       {Case{"short.nii", shortDims, DT_INT16}, Case{"series.nii", seriesDims, DT_UINT8}}) {
    nifti_image* image = nifti_make_new_nim(c.dims, c.datatype, 1);
    image->nifti_type = NIFTI_FTYPE_NIFTI1_1;
    setSform(*image, kSform);
    const std::string path = (dir_ / c.name).string();
    nifti_set_filenames(image, path.c_str(), 0, 1);
    nifti_image_write(image);
    nifti_image_free(image);
    EXPECT_THROW(readLabelVolume(path), std::runtime_error) << c.name;
  }
}

TEST_F(VolumeFile, RefusesMissingAndForeignFiles) {
  EXPECT_THROW(readLabelVolume((dir_ / "absent.nii.gz").string()), std::runtime_error);
  const std::string text = (dir_ / "text.nii").string();
  std::ofstream(text) << "not an image\n";
  EXPECT_THROW(readLabelVolume(text), std::runtime_error);
}

}  // namespace
}  // namespace orvod
