// Test support: small NIfTI files made with nifticlib's headers, in a temporary folder of their
// own, in either byte order.
#pragma once

#include <gtest/gtest.h>
#include <nifti2_io.h>
#include <stdlib.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace imaging::fixture {

struct MapShape {
  std::int64_t nx = 4, ny = 3, nz = 2, nt = 1;
  int datatype = DT_FLOAT32;
  int niftiType = NIFTI_FTYPE_NIFTI1_1;
  // Row-major 3x4 voxel-to-world; 2 mm voxels by default, x running right to left.
  double sform[3][4] = {{-2, 0, 0, 90}, {0, 2, 0, -126}, {0, 0, 2, -72}};
  int sformCode = NIFTI_XFORM_MNI_152;
  std::function<void(nifti_image&)> adjust = nullptr;  // last word on the header before writing
  bool swapped = false;  // written in the byte order that is not the host's
  std::string text{};    // bytes between the header's four extension bytes and the voxels
};

class MapFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-map-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Writes `values` (all volumes, x fastest) converted to the shape's datatype.
  std::string writeMap(const std::string& name, const MapShape& shape,
                       const std::vector<double>& values) {
    const int64_t dims[8] = {shape.nt > 1 ? 4 : 3, shape.nx, shape.ny, shape.nz, shape.nt, 1, 1, 1};
    nifti_image* image = nifti_make_new_nim(dims, shape.datatype, 1);
    for (std::size_t i = 0; i < values.size() && i < static_cast<std::size_t>(image->nvox); ++i) {
      store(*image, i, values[i]);
    }
    image->sform_code = shape.sformCode;
    for (int k = 0; k < 12; ++k) {
      image->sto_xyz.m[k / 4][k % 4] = shape.sform[k / 4][k % 4];
    }
    if (shape.adjust) {
      shape.adjust(*image);
    }
    const std::string path = (dir_ / name).string();
    writeImage(*image, path, shape);
    nifti_image_free(image);
    return path;
  }

  std::filesystem::path dir_;

 private:
  // nifticlib's own writer cannot make NIfTI-2 files, swap bytes or carry text before the
  // voxels, so the test writes header and data.
  static void writeImage(nifti_image& image, const std::string& path, const MapShape& shape) {
    const bool nifti2 = shape.niftiType == NIFTI_FTYPE_NIFTI2_1;
    const std::size_t headerBytes = nifti2 ? 540 : 348;
    std::vector<char> bytes(headerBytes + 4);
    bytes.insert(bytes.end(), shape.text.begin(), shape.text.end());
    image.nifti_type = shape.niftiType;
    const auto putHeader = [&](auto h, auto convert) {
      convert(&image, &h);
      h.vox_offset = static_cast<decltype(h.vox_offset)>(bytes.size());
      std::memcpy(bytes.data(), &h, sizeof h);
    };
    nifti2 ? putHeader(nifti_2_header{}, nifti_convert_nim2n2hdr)
           : putHeader(nifti_1_header{}, nifti_convert_nim2n1hdr);
    const std::size_t voxels = bytes.size();
    const auto* data = static_cast<const char*>(image.data);
    bytes.insert(bytes.end(), data, data + image.nvox * image.nbyper);
    if (shape.swapped) {
      swap_nifti_header(bytes.data(), nifti2 ? 2 : 1);
      if (image.swapsize > 1) {
        nifti_swap_Nbytes(image.nvox, image.swapsize, bytes.data() + voxels);
      }
    }
    const bool gzip = path.ends_with(".gz");
    gzFile file = gzopen(path.c_str(), gzip ? "wb" : "wbT");
    gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size()));
    gzclose(file);
  }

  // Complex and RGB maps only need their header, so their voxels stay zero.
  static void store(nifti_image& image, std::size_t i, double v) {
    const auto put = [&]<typename T>(int datatype, T) {
      if (image.datatype == datatype) {
        static_cast<T*>(image.data)[i] = static_cast<T>(v);
      }
    };
    put(DT_INT8, std::int8_t{}), put(DT_UINT8, std::uint8_t{}), put(DT_INT16, std::int16_t{});
    put(DT_UINT16, std::uint16_t{}), put(DT_INT32, std::int32_t{});
    put(DT_UINT32, std::uint32_t{}), put(DT_INT64, std::int64_t{});
    put(DT_UINT64, std::uint64_t{}), put(DT_FLOAT32, 0.0F), put(DT_FLOAT64, 0.0);
  }
};

}  // namespace imaging::fixture
