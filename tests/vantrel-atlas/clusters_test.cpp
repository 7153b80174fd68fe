// Tests of vantrel-atlas clusters through the built program: its options reaching the library,
// its warnings and statuses, and the files --out writes, on maps written by the test.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>

#include "tests/imaging/nifti_file.hpp"
#include "tests/vantrel-atlas/atlas_program.hpp"

namespace vantrel_atlas::test {
namespace {

// 20x20x20 voxels of 2 mm: x from -20 leftwards to -58, y from -40, z from 40.
const imaging::fixture::MapShape kGrid{
    .nx = 20, .ny = 20, .nz = 20, .sform = {{-2, 0, 0, -20}, {0, 2, 0, -40}, {0, 0, 2, 40}}};

// A 27-voxel positive cube peaking at voxel (9, 9, 8), MNI -38 -22 56; two -inf voxels touching
// at a corner; a 2-voxel cluster on the grid's x face; a lone voxel that --min-voxels 2 drops.
std::vector<double> motorMap() {
  std::vector<double> values(8000, 0.0);
  const auto at = [&](std::size_t x, std::size_t y, std::size_t z) -> double& {
    return values[x + 20 * (y + 20 * z)];
  };
  for (std::size_t d = 0; d < 27; ++d)
    at(8 + d % 3, 8 + d / 3 % 3, 7 + d / 9) = 4;
  at(9, 9, 8) = 6;
  at(2, 2, 2) = at(3, 3, 3) = -std::numeric_limits<double>::infinity();
  at(19, 5, 5) = at(19, 5, 6) = 4;
  at(15, 15, 15) = 3.5;
  return values;
}

std::string contentsOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ClustersCommand : public imaging::fixture::MapFiles {
 protected:
  void SetUp() override {
    ATLAS_SKIP_WITHOUT_DATA();
    MapFiles::SetUp();
  }
};

TEST_F(ClustersCommand, OptionsReachTheClustersAndOutWritesEveryFile) {
  const std::string map = writeMap("motor.nii.gz", kGrid, motorMap());
  const std::string prefix = (dir_ / "out").string();
  const auto result = runAtlas({"clusters", "--threshold", "3", "--two-sided", "--min-voxels", "2",
                                "--atlas", "aal", "--out", prefix, map});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_NE(result.err.find(map + ": 2 infinite voxels"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(map + ": clusters 3 touch the edge"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, contentsOf(prefix + "_clusters.tsv"));
  EXPECT_NE(contentsOf(prefix + "_peaks.tsv").find("\n1\t1\t-38\t-22\t56\t6\tPostcentral_L\t"),
            std::string::npos);
  const auto json = nlohmann::json::parse(contentsOf(prefix + ".json"));
  std::string found;
  for (const auto& cluster : json["clusters"]) {
    found += cluster["sign"].get<std::string>() + cluster["voxels"].dump() + " " +
             cluster["composition"][0]["atlas"].get<std::string>() + ", ";
  }
  EXPECT_EQ(found, "+27 aal, -2 aal, +2 aal, ");
  EXPECT_GT(std::filesystem::file_size(prefix + "_clusters.nii.gz"), 0u);
  // The label table: positive clusters warm, the larger the brighter; negative ones cold.
  EXPECT_EQ(contentsOf(prefix + "_clusters.txt"),
            "# vantrel-atlas cluster map labels: index name R G B A (A is transparency, 0 opaque)\n"
            "1 cluster_1_positive 255 255 77 0\n2 cluster_2_negative 102 255 255 0\n"
            "3 cluster_3_positive 230 82 0 0\n");
}

TEST_F(ClustersCommand, AnEmptyMapGivesHeadersANoteAndSuccess) {
  const std::string prefix = (dir_ / "none").string();
  const auto result = runAtlas(
      {"clusters", "--threshold", "100", "--out", prefix, writeMap("flat.nii", kGrid, motorMap())});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_NE(result.err.find("no voxel is beyond the threshold"), std::string::npos);
  // Each table ends with its header.
  EXPECT_TRUE(result.out.ends_with("\tnatbrainlab_composition\n"));
  EXPECT_TRUE(contentsOf(prefix + "_peaks.tsv").ends_with("natbrainlab_mm\n"));
}

TEST_F(ClustersCommand, RefusesBadInputWithOneLineAndNoOutput) {
  const std::string good = writeMap("good.nii", kGrid, motorMap());
  const std::string allNaN = writeMap("nan.nii", kGrid, std::vector<double>(8000, std::nan("")));
  const std::string never = (dir_ / "never").string();
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"clusters", "--threshold", "3", "--out", never, allNaN}, "no voxel holds a finite value"},
      {{"clusters", "--threshold", "0", good}, "threshold must be a positive"},
      {{"clusters", "--threshold", "3", "--out", (dir_ / "no" / "such").string(), good},
       "cannot write"},
      {{"clusters", "--threshold", "3", "--out", never, "--data", dir_.string(), good},
       "aal.nii.gz"},
      {{"clusters", good}, "--threshold is required"},
  };
  for (const auto& [args, message] : cases) {
    const auto result = runAtlas(args);
    EXPECT_EQ(result.exitStatus, 1) << message << ": " << result.err;
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "") << message;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 2);
}

}  // namespace
}  // namespace vantrel_atlas::test
