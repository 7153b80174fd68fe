// Tests of the cluster map file: each voxel's cluster number, in the smallest type that holds
// them all.
#include "maps/cluster_map.hpp"

#include <gtest/gtest.h>

#include "tests/imaging/nifti_file.hpp"

namespace maps {
namespace {

class ClusterMapTest : public imaging::fixture::MapFiles {};

TEST_F(ClusterMapTest, NumbersEveryVoxelInTheSmallestTypeThatHoldsThem) {
  const StatMap map = readStatMap(writeMap("stat.nii.gz", {.nx = 5, .ny = 4, .nz = 3}, {}));
  // As many clusters as `count`; the first holds voxel 1, the last voxel 59.
  const std::pair<std::int64_t, std::string> cases[] = {
      {2, "UINT8"}, {255, "UINT8"}, {256, "INT16"}, {32767, "INT16"}, {32768, "INT32"}};
  for (const auto& [count, datatype] : cases) {
    std::vector<Cluster> clusters(static_cast<std::size_t>(count));
    for (std::size_t n = 0; n < clusters.size(); ++n)
      clusters[n].number = static_cast<int>(n + 1);
    clusters.front().voxels = {1};
    clusters.back().voxels = {59};
    const std::string path = (dir_ / "clusters.nii.gz").string();
    writeClusterMap(path, map, clusters);
    imaging::NiftiReader back(path, {.labels = true});
    EXPECT_EQ(back.header().datatype, datatype) << count;
    const std::vector<double> numbers = back.readStored([](const auto& labels) {
      return std::vector<double>(labels.values().begin(), labels.values().end());
    });
    std::vector<double> expected(60, 0);
    expected[1] = 1;
    expected[59] = static_cast<double>(count);
    EXPECT_EQ(numbers, expected) << count;
  }
}

}  // namespace
}  // namespace maps
