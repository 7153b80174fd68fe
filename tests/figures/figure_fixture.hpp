// Test support: a synthetic head to draw over, and the pixels of a figure written as PNG.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "figures/anatomy.hpp"
#include "figures/palette.hpp"
#include "figures/surface_output.hpp"

namespace figures::fixture {

// A 1 mm cube centred on the origin: a ball of radius 50 as the head, one of 40 as the brain.
inline imaging::Volume<std::uint8_t> ball(int radius, std::uint8_t intensity) {
  constexpr int n = 121;
  std::vector<std::uint8_t> voxels(n * n * n);
  for (int k = 0; k < n; ++k) {
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n; ++i) {
        const int x = i - 60, y = j - 60, z = k - 60;
        if (x * x + y * y + z * z <= radius * radius) {
          // A gradient so that the background is not one flat grey.
          voxels[i + n * (j + n * k)] = static_cast<std::uint8_t>(intensity - (x + 60) / 2);
        }
      }
    }
  }
  const imaging::Affine toWorld{{{1, 0, 0, -60}, {0, 1, 0, -60}, {0, 0, 1, -60}}};
  return imaging::Volume<std::uint8_t>(imaging::Grid({n, n, n}, toWorld), std::move(voxels));
}

inline const Anatomy& syntheticAnatomy() {
  static const Anatomy shared = anatomyOf(ball(50, 200), ball(40, 200));
  return shared;
}

// A scratch folder removed with the test.
class FigureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vantrel-figures-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

// A PNG read back with cairo, so that tests see the pixels a viewer would.
class Picture {
 public:
  explicit Picture(const std::filesystem::path& png)
      : surface_(cairo_image_surface_create_from_png(png.c_str())) {}
  ~Picture() { cairo_surface_destroy(surface_); }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_); }
  int height() const { return cairo_image_surface_get_height(surface_); }

  Rgb at(double x, double y) const {
    const auto* row = cairo_image_surface_get_data(surface_) +
                      static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_);
    const std::uint32_t word = reinterpret_cast<const std::uint32_t*>(row)[static_cast<int>(x)];
    return {((word >> 16) & 255) / 255.0, ((word >> 8) & 255) / 255.0, (word & 255) / 255.0};
  }

 private:
  cairo_surface_t* surface_;
};

inline bool near(const Rgb& a, const Rgb& b) {
  return std::abs(a.r - b.r) < 0.02 && std::abs(a.g - b.g) < 0.02 && std::abs(a.b - b.b) < 0.02;
}

}  // namespace figures::fixture
