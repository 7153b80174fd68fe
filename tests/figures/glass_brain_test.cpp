#include "figures/glass_brain.hpp"

#include "tests/figures/figure_fixture.hpp"

namespace figures {
namespace {

using fixture::FigureTest;
using fixture::Picture;

// One positive voxel column: a 2 mm cube at (30, -20, 10), far from the numbered marks.
Overlay oneVoxel(float value) {
  constexpr int n = 61;
  const Affine toWorld{{{2, 0, 0, -60}, {0, 2, 0, -60}, {0, 0, 2, -60}}};
  std::vector<float> values(n * n * n, 0.0f);
  values[45 + n * (20 + n * 35)] = value;
  return Overlay(imaging::Volume<float>(imaging::Grid({n, n, n}, toWorld), std::move(values)), 3.0);
}

TEST_F(FigureTest, GlassBrainProjectsEachVoxelOntoAllThreePlanes) {
  struct Case {
    float value;
    bool hot;
  } cases[] = {{6.0f, true}, {-6.0f, false}};
  for (const auto& c : cases) {
    const Overlay overlay = oneVoxel(c.value);
    const GlassBrain figure{"Glass brain", {}, {{{-20, 20, 20}, "1"}}, &overlay};
    const auto& anatomy = fixture::syntheticAnatomy();
    const FigureLayout layout = layoutOf(anatomy, figure);
    const auto path = dir_ / "glass.png";
    writeFigure(path, Format::Png, layout.width(), layout.height(),
                [&](cairo_t* cr) { drawGlassBrain(cr, anatomy, figure); });
    const Picture picture(path);
    for (const Plane plane : kPlanes) {
      const auto [x, y] = layout.pixelOf(plane, {30, -20, 10});
      const Rgb voxel = picture.at(x, y);
      EXPECT_EQ(voxel.r > voxel.b, c.hot) << static_cast<int>(plane);
      // Just outside the brain's 40 mm silhouette the canvas shows; just inside, the glass.
      const auto [ox, oy] = layout.pixelOf(plane, {0, 0, 0});
      const double edge = 40 * FigureLayout::kScale;
      EXPECT_TRUE(fixture::near(picture.at(ox, oy - edge + 6), palette::kGlassFill));
      EXPECT_TRUE(fixture::near(picture.at(ox, oy - edge - 6), palette::kCanvas));
    }
  }
}

}  // namespace
}  // namespace figures
