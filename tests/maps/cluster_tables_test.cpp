// Tests of the cluster tables and JSON, and of composition in a probabilistic atlas, on a map
// laid over an FSL probabilistic atlas of two regions written by the test.
#include "maps/cluster_tables.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>

#include "atlas/atlas_loading.hpp"
#include "atlas/point_answers.hpp"
#include "maps/probabilistic_composition.hpp"
#include "tests/imaging/nifti_file.hpp"

namespace vantrel_atlas {
namespace {

class ClusterTables : public imaging::fixture::MapFiles {};

TEST_F(ClusterTables, WriteEachClusterItsPeaksAndItsShareOfEveryRegion) {
  // Every voxel of the 4x3x2 grid is 60% Zero and 30% One; the summary labels them all Zero.
  writeMap("labels.nii", {.datatype = DT_UINT8}, std::vector<double>(24, 1));
  std::vector<double> percents(24, 60);
  percents.resize(48, 30);
  writeMap("prob.nii", {.nt = 2, .datatype = DT_UINT8}, percents);
  std::ofstream(dir_ / "p.xml")
      << "<atlas><header><shortname>P</shortname><type>Probabilistic</type><images><imagefile>"
         "/prob</imagefile><summaryimagefile>/labels</summaryimagefile></images></header><data>"
         "<label index=\"0\">Zero</label><label index=\"1\">One</label></data></atlas>\n";
  const LoadedAtlases atlases({{nullptr, atlas::describeAtlasFile((dir_ / "p.xml").string(), "")}},
                              dir_.string(), {}, {});
  // A positive cluster of six voxels, a quarter of the atlas; -inf alone in a corner; a NaN.
  std::vector<double> values(24, 0);
  for (const std::size_t v : {0, 1, 4, 5, 8, 9})
    values[v] = 5;
  values[9] = 7;
  values[23] = -std::numeric_limits<double>::infinity();
  values[22] = std::numeric_limits<double>::quiet_NaN();
  const maps::StatMap map = maps::readStatMap(writeMap("map.nii", {}, values));
  const maps::ClusterOptions options{.threshold = 3, .twoSided = true, .maxPeaks = 1};
  ClusterFindings findings{
      &map, {"map.nii", "ab12", 0}, options, maps::findClusters(map, options), {}, {}};
  for (const maps::Cluster& cluster : findings.report.clusters) {
    findings.peakLabels.push_back({atlases.labelMni(cluster.peaks[0].world)});
    findings.parts.push_back({maps::probabilisticSharesOf(cluster, map, atlases.atlases()[0])});
  }
  const RunProvenance provenance = provenanceOf(dir_.string(), atlases.atlases());
  const std::string clusters = clustersTsv(atlases, provenance, findings);
  EXPECT_NE(clusters.find("; 1 NaN voxels, 1 infinite voxels\n"), std::string::npos);
  EXPECT_EQ(clusters.substr(clusters.find("\ncluster\t") + 1),
            "cluster\tsign\tvoxels\tvolume_mm3\tedge\tpeak_x\tpeak_y\tpeak_z\tpeak_value\tp\t"
            "p_composition\n1\t+\t6\t48\tyes\t88\t-122\t-72\t7\tZero\t60% Zero; 30% One\n"
            "2\t-\t1\t8\tyes\t84\t-122\t-70\t-inf\tZero\t60% Zero; 30% One\n");
  const std::string peaks = peaksTsv(atlases, provenance, findings);
  EXPECT_NE(peaks.find("\ncluster\tpeak\tx\ty\tz\tvalue\tp\tp_nearest\tp_mm\tp_probabilities\n"),
            std::string::npos);
  EXPECT_NE(peaks.find("\n2\t1\t84\t-122\t-70\t-inf\tZero\tZero\t0\t60% Zero; 30% One\n"),
            std::string::npos);
  EXPECT_NE(pointText(atlases, findings.peakLabels[0][0]).find("Zero (0); 60% Zero; 30% One"),
            std::string::npos);
  const auto json = nlohmann::json::parse(clustersJson(atlases, provenance, findings));
  EXPECT_EQ(json["map"]["nan_voxels"], 1);
  EXPECT_EQ(json["map"]["inf_voxels"], 1);
  EXPECT_EQ(json["clusters"][1]["peaks"][0]["value"], "-inf");
  EXPECT_EQ(json["clusters"][0]["peaks"][0]["labels"][0]["probabilities"][1],
            nlohmann::json::parse(R"({"label": "One", "value": 1, "percent": 30.0})"));
  // A mean probability is no count of voxels: the regions carry none.
  EXPECT_EQ(json["clusters"][0]["composition"][0]["regions"],
            nlohmann::json::parse(
                R"([{"label": "Zero", "percent_of_cluster": 60.0, "percent_of_region": 25.0},
                    {"label": "One", "percent_of_cluster": 30.0, "percent_of_region": 25.0}])"));
}

}  // namespace
}  // namespace vantrel_atlas
