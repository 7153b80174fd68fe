// vantrel-atlas clusters --figures and --report, on a map the test writes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "atlas/provenance.hpp"
#include "testkit/process.hpp"
#include "tests/atlas/atlas_fixture.hpp"
#include "tests/imaging/nifti_file.hpp"

namespace {

using vantrel::kit::runProcess;

class ClustersOutputTest : public imaging::fixture::MapFiles {};

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

TEST_F(ClustersOutputTest, EveryPeakGetsOneFigureAndTheReportListsClustersThenPeaks) {
  ATLAS_SKIP_WITHOUT_DATA();
  // Two 3x3x3 blobs of opposite signs on the 2 mm MNI grid, far apart.
  imaging::fixture::MapShape shape;
  shape.nx = 91, shape.ny = 109, shape.nz = 91;
  std::vector<double> values(91 * 109 * 91, 0.0);
  for (int d = 0; d < 27; ++d) {
    const int i = d % 3, j = d / 3 % 3, k = d / 9;
    values[(64 + i) + 91 * ((52 + j) + 109 * (63 + k))] = 5 + i;
    values[(25 + i) + 91 * ((30 + j) + 109 * (40 + k))] = -(4 + j);
  }
  const std::string map = writeMap("map.nii.gz", shape, values);
  const auto report = dir_ / "report";
  const auto run =
      runProcess(VANTREL_ATLAS_BINARY,
                 {"clusters", "--data", ATLAS_TEST_DATA_DIR, "--threshold", "3", "--two-sided",
                  "--figures", (dir_ / "figures").string(), "--report", report.string(), map},
                 {}, std::chrono::seconds(180));
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  // Drawn once: the report's figure is the same file as the --figures one.
  for (const auto* name : {"cluster-1-peak-1.png", "cluster-2-peak-1.png", "glass-brain.png"}) {
    EXPECT_TRUE(std::filesystem::equivalent(dir_ / "figures" / name, report / "figures" / name))
        << name;
  }
  std::ostringstream page;
  page << std::ifstream(report / "index.html").rdbuf();
  const std::string html = page.str();
  const auto glass = html.find("id=\"glass-brain\""), clusters = html.find("id=\"clusters\""),
             peaks = html.find("id=\"peaks\"");
  EXPECT_TRUE(glass < clusters && clusters < peaks && peaks != std::string::npos);
  EXPECT_NE(html.find("href=\"figures/cluster-2-peak-1.png\""), std::string::npos);
  EXPECT_NE(html.find(atlas::sha256OfFile(map)), std::string::npos);

  // Each cluster's composition is under its row, across the table, not in columns of its own.
  const std::string clusterTable = html.substr(clusters, peaks - clusters);
  const std::size_t atlases = count(clusterTable, " at peak</th>");
  EXPECT_GE(atlases, 6u);
  EXPECT_EQ(count(clusterTable, "composition</th>"), 0u);
  EXPECT_EQ(count(clusterTable,
                  "<tr class=\"details\"><td colspan=\"" + std::to_string(8 + atlases) + "\"><dl>"),
            2u);
  EXPECT_EQ(count(clusterTable, " composition</dt><dd>"), 2 * atlases);
}

}  // namespace
