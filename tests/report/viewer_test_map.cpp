// Writes the statistical map the viewer test reports on: 2 mm float32 on the MNI grid the
// atlases share, with a ball of each sign (the balls viewer_test.cjs expects).
//
//     viewer_test_map FILE.nii.gz
#include <cmath>
#include <cstdio>
#include <fstream>

#include "imaging/nifti_write.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: viewer_test_map FILE.nii.gz\n", stderr);
    return 2;
  }
  struct Ball {
    imaging::Vec3 centre;
    double sign;
  } const balls[] = {{{-38, -22, 56}, 1}, {{40, 20, 0}, -1}};
  const imaging::Grid grid({91, 109, 91}, {{{-2, 0, 0, 90}, {0, 2, 0, -126}, {0, 0, 2, -72}}});
  std::vector<float> values(static_cast<std::size_t>(grid.voxelCount()), 0.0F);
  for (std::size_t voxel = 0; voxel < values.size(); ++voxel) {
    const imaging::Vec3 mni = grid.worldOfLinear(static_cast<std::int64_t>(voxel));
    for (const Ball& ball : balls) {
      const double distance =
          std::hypot(mni[0] - ball.centre[0], mni[1] - ball.centre[1], mni[2] - ball.centre[2]);
      if (distance <= 8) {
        values[voxel] = static_cast<float>(ball.sign * (6 - distance / 4));
      }
    }
  }
  const std::vector<std::uint8_t> bytes = imaging::gzippedNifti(
      imaging::Volume<float>(grid, std::move(values)), imaging::Space::kMni152);
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}
