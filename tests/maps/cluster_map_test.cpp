// Tests of the cluster map file: read back by nifticlib, on the statistical map's grid.
#include "maps/cluster_map.hpp"

#include <gtest/gtest.h>

#include "tests/maps/map_file.hpp"

namespace maps {
namespace {

class ClusterMapTest : public atlas::fixture::MapFiles {};

struct ImageDeleter {
  void operator()(nifti_image* image) const { nifti_image_free(image); }
};

TEST_F(ClusterMapTest, KeepsTheGridAndTransformsInTheSmallestType) {
  atlas::fixture::MapShape shape{.nx = 5, .ny = 4, .nz = 3, .nt = 2, .adjust = [](nifti_image& i) {
                                   i.qform_code = NIFTI_XFORM_SCANNER_ANAT;
                                   i.qoffset_x = 7;
                                   i.qfac = 1;
                                 }};
  const StatMap map = readStatMap(writeMap("stat.nii.gz", shape, {}));
  // As many clusters as `count`; the first holds voxel 1, the last voxel 59.
  struct Case {
    std::int64_t count;
    int datatype;
  } cases[] = {{2, DT_UINT8}, {255, DT_UINT8}, {256, DT_INT16}, {32768, DT_INT32}};
  for (const Case& c : cases) {
    std::vector<Cluster> clusters(static_cast<std::size_t>(c.count));
    for (std::size_t n = 0; n < clusters.size(); ++n) {
      clusters[n].number = static_cast<int>(n + 1);
    }
    clusters.front().voxels = {1};
    clusters.back().voxels = {59};
    const std::string path = (dir_ / "clusters.nii.gz").string();
    writeClusterMap(path, map, clusters);
    std::unique_ptr<nifti_image, ImageDeleter> image(nifti_image_read(path.c_str(), 1));
    ASSERT_TRUE(image) << c.count;
    EXPECT_EQ(image->datatype, c.datatype) << c.count;
    EXPECT_EQ(image->ndim, 3);
    EXPECT_EQ(image->nx * image->ny * image->nz, 60);
    EXPECT_EQ(image->sform_code, NIFTI_XFORM_MNI_152);
    EXPECT_EQ(image->sto_xyz.m[0][3], 90);
    EXPECT_EQ(image->qform_code, NIFTI_XFORM_SCANNER_ANAT);
    EXPECT_EQ(image->qto_xyz.m[0][3], 7);
    for (std::size_t i = 0; i < 60; ++i) {
      const double stored = c.datatype == DT_UINT8   ? static_cast<std::uint8_t*>(image->data)[i]
                            : c.datatype == DT_INT16 ? static_cast<std::int16_t*>(image->data)[i]
                                                     : static_cast<std::int32_t*>(image->data)[i];
      EXPECT_EQ(stored, i == 1 ? 1 : i == 59 ? static_cast<double>(c.count) : 0) << i;
    }
  }
}

}  // namespace
}  // namespace maps
