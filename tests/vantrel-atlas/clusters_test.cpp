// Tests of vantrel-atlas clusters through the built program, on maps written by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "testkit/process.hpp"
#include "tests/atlas/atlas_fixture.hpp"
#include "tests/imaging/nifti_file.hpp"

namespace {

using imaging::fixture::MapShape;
using vantrel::kit::runProcess;

// 20x20x20 voxels of 2 mm: x from -20 leftwards to -58, y from -40, z from 40.
MapShape motorGrid() {
  return MapShape{
      .nx = 20, .ny = 20, .nz = 20, .sform = {{-2, 0, 0, -20}, {0, 2, 0, -40}, {0, 0, 2, 40}}};
}

std::int64_t at(std::int64_t x, std::int64_t y, std::int64_t z) {
  return x + 20 * (y + 20 * z);
}

// A 27-voxel positive cube peaking at voxel (9, 9, 8), MNI -38 -22 56; an 8-voxel negative
// cube; a lone voxel that --min-voxels 2 drops; a NaN.
std::vector<double> motorMap() {
  std::vector<double> values(8000, 0.0);
  for (std::int64_t d = 0; d < 27; ++d) {
    values[static_cast<std::size_t>(at(8 + d % 3, 8 + d / 3 % 3, 7 + d / 9))] = 4;
    values[static_cast<std::size_t>(at(2 + d % 2, 2 + d / 2 % 2, 2 + d / 4 % 2))] = -5;
  }
  values[static_cast<std::size_t>(at(9, 9, 8))] = 6;
  values[static_cast<std::size_t>(at(15, 15, 15))] = 3.5;
  values[static_cast<std::size_t>(at(0, 0, 0))] = std::nan("");
  return values;
}

std::string contentsOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The rows of a TSV text after its '#' lines, split into fields.
std::vector<std::vector<std::string>> rowsOf(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("#"))
      continue;
    std::istringstream cells(line);
    auto& fields = rows.emplace_back();
    for (std::string cell; std::getline(cells, cell, '\t');)
      fields.push_back(cell);
  }
  return rows;
}

class ClustersCommand : public imaging::fixture::MapFiles {
 protected:
  void SetUp() override {
    ATLAS_SKIP_WITHOUT_DATA();
    MapFiles::SetUp();
  }
  vantrel::kit::ProcessResult run(std::vector<std::string> args) {
    args.insert(args.begin(), "clusters");
    return runProcess(VANTREL_ATLAS_BINARY, args, {}, std::chrono::seconds(60));
  }
};

// The motor map with -inf in two voxels of its negative cube and a 2-voxel cluster on the
// grid's x face.
TEST_F(ClustersCommand, TablesJsonLabelTableAndClusterMapAgree) {
  std::vector<double> values = motorMap();
  values[static_cast<std::size_t>(at(2, 2, 2))] = -std::numeric_limits<double>::infinity();
  values[static_cast<std::size_t>(at(3, 3, 3))] = -std::numeric_limits<double>::infinity();
  values[static_cast<std::size_t>(at(19, 5, 5))] = 4;
  values[static_cast<std::size_t>(at(19, 5, 6))] = 4;
  const std::string map = writeMap("motor.nii.gz", motorGrid(), values);
  const std::string prefix = (dir_ / "out").string();
  const auto result = run({"--threshold", "3", "--two-sided", "--min-voxels", "2", "--atlas", "aal",
                           "--out", prefix, map});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_NE(result.err.find(map + ": 2 infinite voxels"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(map + ": clusters 3 touch the edge"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, contentsOf(prefix + "_clusters.tsv"));

  const auto clusters = rowsOf(result.out);
  ASSERT_EQ(clusters.size(), 4u);  // the header and three clusters
  const std::vector<std::string> first = {"1",   "+",   "27", "216", "no",
                                          "-38", "-22", "56", "6",   "Postcentral_L"};
  EXPECT_EQ(std::vector<std::string>(clusters[1].begin(), clusters[1].begin() + 10), first);
  std::vector<std::string> summary;
  for (std::size_t row = 2; row < clusters.size(); ++row) {
    summary.push_back(clusters[row][0] + clusters[row][1] + " " + clusters[row][4] + " " +
                      clusters[row][8]);
  }
  EXPECT_EQ(summary, (std::vector<std::string>{"2- no -inf", "3+ yes 4"}));

  const auto peaks = rowsOf(contentsOf(prefix + "_peaks.tsv"));
  ASSERT_GE(peaks.size(), 2u);
  EXPECT_EQ(peaks[1][0] + peaks[1][2] + peaks[1][6], "1-38Postcentral_L");

  const auto json = nlohmann::json::parse(contentsOf(prefix + ".json"));
  EXPECT_EQ(json["map"]["nan_voxels"], 1);
  EXPECT_EQ(json["map"]["inf_voxels"], 2);
  ASSERT_EQ(json["clusters"].size(), 3u);
  EXPECT_EQ(json["clusters"][1]["peaks"][0]["value"], "-inf");

  std::unique_ptr<nifti_image, decltype(&nifti_image_free)> image(
      nifti_image_read((prefix + "_clusters.nii.gz").c_str(), 1), nifti_image_free);
  ASSERT_TRUE(image);
  const auto* numbers = static_cast<const std::uint8_t*>(image->data);
  const auto voxelsOf = [&](std::uint8_t n) { return std::count(numbers, numbers + 8000, n); };
  EXPECT_EQ(std::vector({voxelsOf(1), voxelsOf(2), voxelsOf(3)}),
            (std::vector<std::ptrdiff_t>{27, 8, 2}));

  // The label table: index, name and a colour warm for positive and cold for negative.
  std::istringstream table(contentsOf(prefix + "_clusters.txt"));
  std::vector<std::string> names;
  for (std::string line; std::getline(table, line);) {
    if (line.starts_with("#"))
      continue;
    std::istringstream fields(line);
    int index = 0, red = 0, green = 0, blue = 0, alpha = -1;
    std::string name;
    ASSERT_TRUE(fields >> index >> name >> red >> green >> blue >> alpha) << line;
    EXPECT_EQ(index, static_cast<int>(names.size() + 1)) << line;
    EXPECT_EQ(alpha, 0) << line;
    EXPECT_EQ(red > blue, name.ends_with("_positive")) << line;
    names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"cluster_1_positive", "cluster_2_negative",
                                             "cluster_3_positive"}));
}

TEST_F(ClustersCommand, AnEmptyMapGivesHeadersANoteAndSuccess) {
  const std::string map = writeMap("flat.nii", motorGrid(), motorMap());
  const std::string prefix = (dir_ / "none").string();
  const auto result = run({"--threshold", "100", "--out", prefix, map});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_NE(result.err.find("no voxel is beyond the threshold"), std::string::npos);
  EXPECT_EQ(rowsOf(result.out).size(), 1u);
  EXPECT_EQ(rowsOf(contentsOf(prefix + "_peaks.tsv")).size(), 1u);
}

TEST_F(ClustersCommand, RefusesBadInputWithOneLineAndNoOutput) {
  const std::string good = writeMap("good.nii", motorGrid(), motorMap());
  const std::string allNaN =
      writeMap("nan.nii", motorGrid(), std::vector<double>(8000, std::nan("")));
  const std::string text = (dir_ / "text.nii").string();
  std::ofstream(text) << "x\ty\tz\n";
  const std::string prefix = (dir_ / "never").string();
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{text}, "not a NIfTI file"},
      {{"--out", prefix, allNaN}, "no voxel holds a finite value"},
      {{"--volume", "1", good}, "volume 1 asked for, the map has 1"},
      {{"--threshold", "0", good}, "threshold"},
      {{"--threshold", "nan", good}, "threshold"},
      {{"--threshold", "inf", good}, "threshold"},
      {{"--out", (dir_ / "no" / "such").string(), good}, "cannot write"},
      {{"--out", prefix, "--atlas", "aal", "--data", dir_.string(), good}, "aal.nii.gz"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    if (std::find(args.begin(), args.end(), "--threshold") == args.end()) {
      args.insert(args.begin(), {"--threshold", "3"});
    }
    const auto result = run(args);
    EXPECT_EQ(result.exitStatus, 1) << c.message << ": " << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out.find("cluster\t"), std::string::npos) << c.message;
  }
  EXPECT_EQ(run({good}).err.find("--threshold is required"), 0u);
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    EXPECT_FALSE(entry.path().filename().string().starts_with("never")) << entry.path();
  }
}

}  // namespace
