// The viewer's volumes read back by nifticlib: grid, orientation and every value.
#include "report/viewer_volume.hpp"

#include <gtest/gtest.h>
#include <nifti2_io.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <stdexcept>

namespace {

TEST(ViewerVolume, ReadsBackWithItsGridAndValues) {
  const std::vector<report::FloatGrid> grids = {
      {{3, 4, 5}, {{{-2, 0, 0, 90}, {0, 2, 0, -126}, {0, 0, 2, -72}}}, {}},
      {{7, 1, 2}, {{{0, 1.5, 0, -10}, {1, 0, 0, 4}, {0, 0, -3, 30}}}, {}},
  };
  const auto file = std::filesystem::temp_directory_path() /
                    ("viewer_volume_test_" + std::to_string(::getpid()) + ".nii.gz");
  for (report::FloatGrid grid : grids) {
    grid.values.resize(static_cast<std::size_t>(grid.dims[0] * grid.dims[1] * grid.dims[2]));
    std::iota(grid.values.begin(), grid.values.end(), -2.5F);
    const std::vector<std::uint8_t> bytes = report::gzippedNifti(grid);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    nifti_image* image = nifti_image_read(file.c_str(), 1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ((std::array<std::int64_t, 3>{image->nx, image->ny, image->nz}), grid.dims);
    EXPECT_EQ(image->datatype, NIFTI_TYPE_FLOAT32);
    ASSERT_GT(image->sform_code, 0);
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 4; ++column) {
        EXPECT_FLOAT_EQ(image->sto_xyz.m[row][column], grid.voxelToWorld[row][column]);
      }
    }
    const auto* values = static_cast<const float*>(image->data);
    EXPECT_EQ(std::vector<float>(values, values + image->nvox), grid.values);
    nifti_image_free(image);
  }
  std::filesystem::remove(file);
}

TEST(ViewerVolume, RefusesValuesThatDoNotFillTheGrid) {
  const report::FloatGrid grid{{2, 2, 2}, {}, std::vector<float>(7)};
  EXPECT_THROW(report::gzippedNifti(grid), std::runtime_error);
}

}  // namespace
