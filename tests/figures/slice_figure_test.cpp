#include "figures/slice_figure.hpp"

#include <set>

#include "tests/figures/figure_fixture.hpp"

namespace figures {
namespace {

using fixture::FigureTest;
using fixture::Picture;

// A positive blob round (-20, 10, 15) and a negative one round (25, -20, -10), on a 2 mm grid
// whose x axis runs right to left, as many statistical maps do.
Overlay twoBlobs() {
  constexpr int n = 61;
  const Affine toWorld{{{-2, 0, 0, 60}, {0, 2, 0, -60}, {0, 0, 2, -60}}};
  std::vector<float> values(n * n * n, 0.0f);
  for (int k = 0; k < n; ++k) {
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n; ++i) {
        const Vec3 w = imaging::applyAffine(toWorld, {double(i), double(j), double(k)});
        if (std::hypot(w[0] + 20, w[1] - 10, w[2] - 15) <= 6)
          values[i + n * (j + n * k)] = 5;
        if (std::hypot(w[0] - 25, w[1] + 20, w[2] + 10) <= 6)
          values[i + n * (j + n * k)] = -5;
      }
    }
  }
  return Overlay(imaging::Volume<float>(imaging::Grid({n, n, n}, toWorld), std::move(values)), 3.0);
}

std::filesystem::path drawn(const std::filesystem::path& dir, const SliceFigure& figure) {
  const auto& anatomy = fixture::syntheticAnatomy();
  const FigureLayout layout = layoutOf(anatomy, figure);
  const auto path = dir / "figure.png";
  writeFigure(path, Format::Png, layout.width(), layout.height(),
              [&](cairo_t* cr) { drawSliceFigure(cr, anatomy, figure); });
  return path;
}

TEST_F(FigureTest, CrosshairLiesOnTheSideTheNeurologicalConventionPutsThePoint) {
  // (-30, 25, 35): left, anterior, superior. Along each crosshair line, 20 pixels from the
  // point, the crosshair colour; the point itself sits in the panel's expected half.
  const SliceFigure figure{{-30, 25, 35}, "Point 1", {"caption"}, {}, nullptr};
  const Picture picture(drawn(dir_, figure));
  ASSERT_TRUE(picture.ok());
  const FigureLayout layout = layoutOf(fixture::syntheticAnatomy(), figure);
  struct Case {
    Plane plane;
    bool right, top;
  } cases[] = {
      {Plane::Sagittal, true, true}, {Plane::Coronal, false, true}, {Plane::Axial, false, true}};
  for (const auto& c : cases) {
    const auto [x, y] = layout.pixelOf(c.plane, figure.point);
    const Box& box = layout.panel(c.plane);
    EXPECT_EQ(x > box.x + box.width / 2, c.right) << static_cast<int>(c.plane);
    EXPECT_EQ(y < box.y + box.height / 2, c.top) << static_cast<int>(c.plane);
    EXPECT_TRUE(fixture::near(picture.at(x, y - 20), palette::kCrosshair));
    EXPECT_TRUE(fixture::near(picture.at(x - 1, y + 20), palette::kCrosshair));
    EXPECT_TRUE(fixture::near(picture.at(x + 20, y), palette::kCrosshair));
    EXPECT_TRUE(fixture::near(picture.at(x - 20, y - 1), palette::kCrosshair));
  }
}

TEST_F(FigureTest, ClusterVoxelsTakeHeatOrColdByTheirSign) {
  const Overlay overlay = twoBlobs();
  const SliceFigure figure{{-20, 10, 15}, "Cluster 1, peak 1", {}, {}, &overlay};
  const Picture picture(drawn(dir_, figure));
  const FigureLayout layout = layoutOf(fixture::syntheticAnatomy(), figure);
  // 4 mm off the point along a diagonal, clear of the crosshair, still inside the blob.
  const auto [x, y] = layout.pixelOf(Plane::Axial, {-17, 13, 15});
  const Rgb hot = picture.at(x, y);
  EXPECT_GT(hot.r, 0.7);
  EXPECT_LT(hot.b, 0.4);
  // The negative blob, in the coronal slice through its own centre.
  const SliceFigure other{{25, -20, -10}, "Cluster 2, peak 1", {}, {}, &overlay};
  const Picture coldPicture(drawn(dir_, other));
  const auto [cx, cy] = layout.pixelOf(Plane::Coronal, {28, -20, -7});
  const Rgb cold = coldPicture.at(cx, cy);
  EXPECT_GT(cold.b, 0.7);
  EXPECT_GT(cold.b - cold.r, 0.3);
}

TEST_F(FigureTest, OutlinesAndBackgroundMakeAPictureThatIsNotBlank) {
  // One region: the half-space x < 0, so that its edge crosses every coronal and axial slice.
  const SliceFigure figure{{20, 0, 0},
                           "Point 1",
                           {"MNI 20, 0, 0"},
                           [](const Vec3& w) { return w[0] < 0 ? 3 : 0; },
                           nullptr};
  const Picture picture(drawn(dir_, figure));
  ASSERT_GE(picture.width(), 900);
  ASSERT_GE(picture.height(), 300);
  std::set<std::uint32_t> seen;
  for (int y = 0; y < picture.height(); y += 3) {
    for (int x = 0; x < picture.width(); x += 3) {
      const Rgb c = picture.at(x, y);
      seen.insert(static_cast<std::uint32_t>(c.r * 255) << 16 |
                  static_cast<std::uint32_t>(c.g * 255) << 8 |
                  static_cast<std::uint32_t>(c.b * 255));
    }
  }
  EXPECT_GT(seen.size(), 20u);
  const FigureLayout layout = layoutOf(fixture::syntheticAnatomy(), figure);
  // The region's edge at x = -1 (its last cell) is drawn on the right side of that cell.
  const auto [ex, ey] = layout.pixelOf(Plane::Axial, {-1, 30, 0});
  EXPECT_TRUE(fixture::near(picture.at(ex + 0.5, ey), palette::region(3)));
}

}  // namespace
}  // namespace figures
