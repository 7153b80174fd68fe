// vantrel-atlas clusters: a statistical map in, labelled clusters and peaks out.
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "atlas/provenance.hpp"
#include "figures/cluster_label_table.hpp"
#include "imaging/nifti_read.hpp"
#include "maps/cluster_map.hpp"
#include "maps/cluster_tables.hpp"
#include "maps/probabilistic_composition.hpp"
#include "report/clusters_output.hpp"
#include "src/exit_status.h"
#include "tables/staged_files.hpp"
#include "vantrel-atlas/commands.hpp"

namespace vantrel_atlas {
namespace {

constexpr const char* kClustersFooter =
    R"(Voxels with value >= T form positive clusters; with --two-sided, voxels <= -T
form negative ones. Clusters are numbered by voxel count, largest first (ties: the
greater absolute peak), the same number in every output. A cluster's first peak is
its extreme voxel (ties: lowest z, then y, then x); further peaks are local extrema
taken by value, none closer than --peak-distance to one already taken. Each peak
is labelled as point labels a point. The composition gives, per atlas, the labels
the cluster's voxel centres fall in: voxels, percent of the cluster and percent of
the region's volume in the atlas. NaN is no value and joins no cluster; +inf and
-inf are beyond every threshold (JSON writes them as "inf" and "-inf"). A map with
no finite voxel is refused. A cluster with a voxel on a face of the grid or beside
a NaN voxel is marked edge: its true extent and peak may lie outside the map.
--out PREFIX also writes PREFIX_clusters.tsv, PREFIX_peaks.tsv, PREFIX.json, the
cluster map PREFIX_clusters.nii.gz and its label table PREFIX_clusters.txt, all
renamed into place once all are complete.
Exit status: 0 reported (also when no voxel passes the threshold); 1 usage error,
unreadable or refused map, unreadable atlases or unwritable output.)";

struct ClustersCommandOptions {
  AtlasChoice atlases;
  maps::ClusterOptions clusters;
  std::int64_t volume = 0;
  std::string format;
  std::string outPrefix;  // empty: standard output only
  Pictures pictures;
  std::string map;
};

void declareClusters(CLI::App& cli, ClustersCommandOptions& options) {
  cli.description("Clusters and peaks of a statistical map, labelled");
  addDataOption(cli, options.atlases);
  maps::ClusterOptions& c = options.clusters;
  cli.add_option("--threshold", c.threshold, "Cluster voxels with value >= T (no default)")
      ->required();
  cli.add_flag("--two-sided", c.twoSided, "Also cluster voxels with value <= -T");
  cli.add_option("--min-voxels", c.minVoxels, "Drop clusters of fewer voxels")
      ->check(CLI::Range(std::int64_t{1}, imaging::kMaxVoxels))
      ->capture_default_str();
  cli.add_option("--min-volume", c.minVolumeMm3, "Drop clusters of a smaller volume, mm3")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  cli.add_option("--connectivity", c.connectivity, "6 faces, 18 and edges, 26 and corners")
      ->check(CLI::IsMember({6, 18, 26}))
      ->capture_default_str();
  cli.add_option("--peaks", c.maxPeaks, "Peaks per cluster, at most")
      ->check(CLI::Range(1, 1000))
      ->capture_default_str();
  cli.add_option("--peak-distance", c.peakDistanceMm, "Least distance between peaks, mm")
      ->check(CLI::Range(0.0, 1000.0))
      ->capture_default_str();
  cli.add_option("--volume", options.volume, "Volume of a 4-D map, from 0")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  addAtlasOptions(cli, options.atlases);
  addFormatOption(cli, options.format, {"tsv", "json"});
  cli.add_option("--out", options.outPrefix, "Also write the report files under PREFIX");
  addPictureOptions(cli, options.pictures, true);
  cli.add_option("map", options.map, "Statistical map, .nii or .nii.gz")->required();
  cli.footer(kClustersFooter);
}

void warnUnlessStandardSpace(const maps::StatMap& map, const std::string& path) {
  if (!map.header.standardSpace) {
    app::warn(path + ": neither transform code names a standard space; its " +
              imaging::nameOf(map.grid().transform()) + " (" + map.header.transformCode +
              ") is taken as MNI");
  }
}

// A map that holds no number at all comes from a failed step upstream, not from a null result.
void refuseWithoutFiniteVoxels(const maps::StatMap& map, const maps::ClusterReport& report,
                               const std::string& path) {
  if (!report.hasFiniteVoxel(map)) {
    throw std::runtime_error(path + ": no voxel holds a finite value (" +
                             std::to_string(report.nanVoxels) + " NaN, " +
                             std::to_string(report.infVoxels) + " infinite)");
  }
}

void warnOfInfinitiesAndEdges(const maps::ClusterReport& report, const std::string& path) {
  if (report.infVoxels > 0) {
    app::warn(path + ": " + std::to_string(report.infVoxels) +
              " infinite voxels, taken as beyond the threshold on their side");
  }
  std::string cut;
  for (const maps::Cluster& cluster : report.clusters) {
    if (cluster.touchesEdge) {
      cut += (cut.empty() ? " " : ", ") + std::to_string(cluster.number);
    }
  }
  if (!cut.empty()) {
    app::warn(path + ": clusters" + cut +
              " touch the edge of the map or NaN voxels; their extent and peak may lie beyond");
  }
}

void labelPeaks(const LoadedAtlases& atlases, ClusterFindings& findings) {
  for (const maps::Cluster& cluster : findings.report.clusters) {
    auto& answers = findings.peakLabels.emplace_back();
    for (const maps::Peak& peak : cluster.peaks) {
      answers.push_back(atlases.labelMni(peak.world));
    }
  }
}

// Each atlas's region volumes take a pass over the whole atlas, so two threads share them.
std::vector<maps::RegionVolumes> regionVolumesOfEach(
    const std::vector<atlas::LabelAtlas>& atlases) {
  std::vector<maps::RegionVolumes> volumes(atlases.size());
  const auto every = [&](std::size_t first) {
    for (std::size_t i = first; i < atlases.size(); i += 2) {
      volumes[i] = maps::regionVolumesOf(atlases[i]);
    }
  };
  std::thread helper(every, 1);
  every(0);
  helper.join();
  return volumes;
}

void composeClusters(const LoadedAtlases& atlases, ClusterFindings& findings) {
  if (findings.report.clusters.empty()) {
    return;
  }
  const std::vector<maps::RegionVolumes> volumes = regionVolumesOfEach(atlases.atlases());
  findings.parts.resize(findings.report.clusters.size());
  for (std::size_t a = 0; a < volumes.size(); ++a) {
    const atlas::LabelAtlas& atlas = atlases.atlases()[a];
    for (std::size_t c = 0; c < findings.report.clusters.size(); ++c) {
      const maps::Cluster& cluster = findings.report.clusters[c];
      findings.parts[c].push_back(
          atlas.probabilities() != nullptr
              ? maps::probabilisticSharesOf(cluster, *findings.map, atlas)
              : maps::compositionOf(cluster, *findings.map, atlas, volumes[a]));
    }
  }
}

void writeReportFiles(const std::string& prefix, const LoadedAtlases& atlases,
                      const RunProvenance& provenance, const ClusterFindings& findings) {
  tables::StagedFiles outputs;
  outputs.stageText(prefix + "_clusters.tsv", clustersTsv(atlases, provenance, findings));
  outputs.stageText(prefix + "_peaks.tsv", peaksTsv(atlases, provenance, findings));
  outputs.stageText(prefix + ".json", clustersJson(atlases, provenance, findings));
  outputs.stage(prefix + "_clusters.nii.gz", [&](const std::filesystem::path& temporary) {
    maps::writeClusterMap(temporary.string(), *findings.map, findings.report.clusters);
  });
  outputs.stageText(prefix + "_clusters.txt", figures::clusterLabelTable(findings.report.clusters));
  outputs.commit();
}

int runClusters(const ClustersCommandOptions& options) {
  const std::vector<atlas::ChosenAtlas> entries = chosenAtlases(options.atlases);
  app::checkUsage([&] { maps::checkClusterOptions(options.clusters); });
  requireDataFolder(options.atlases.dataDirectory, entries);
  // Made first, so that a folder that cannot be written stops the run before any work.
  report::ClustersOutput pictures(figureOptions(options.pictures),
                                  reportOptions(options.pictures, ""));
  const maps::StatMap map = maps::readStatMap(options.map, options.volume);
  warnUnlessStandardSpace(map, options.map);
  ClusterFindings findings{&map,
                           {options.map, atlas::sha256OfFile(options.map), options.volume},
                           options.clusters,
                           maps::findClusters(map, options.clusters),
                           {},
                           {}};
  refuseWithoutFiniteVoxels(map, findings.report, options.map);
  warnOfInfinitiesAndEdges(findings.report, options.map);
  if (findings.report.clusters.empty()) {
    app::message(options.map + ": no voxel is beyond the threshold");
  }
  const AtlasChoice& choice = options.atlases;
  const std::unique_ptr<cache::Store> store = cacheStore(choice);
  const LoadedAtlases atlases(entries, choice.dataDirectory, choice.radii,
                              {.manyPoints = false, .wholeAtlases = true, .cache = store.get()});
  warnOfMixedSpaces(atlases);
  labelPeaks(atlases, findings);
  composeClusters(atlases, findings);
  const RunProvenance provenance = provenanceOf(choice.dataDirectory, atlases.atlases());
  if (!options.outPrefix.empty()) {
    writeReportFiles(options.outPrefix, atlases, provenance, findings);
  }
  pictures.finish(atlases, provenance, findings);
  const std::string table = formatNamed(options.format) == Format::kJson
                                ? clustersJson(atlases, provenance, findings)
                                : clustersTsv(atlases, provenance, findings);
  std::fputs(table.c_str(), stdout);
  return vantrel::kExitSuccess;
}

}  // namespace

app::Command clustersCommand() {
  return app::command("clusters", declareClusters, runClusters);
}

}  // namespace vantrel_atlas
