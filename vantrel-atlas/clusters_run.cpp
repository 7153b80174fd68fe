// The clusters subcommand: a statistical map in, labelled clusters and peaks out.
#include "vantrel-atlas/clusters_run.hpp"

#include <cstdio>
#include <thread>

#include "atlas/provenance.hpp"
#include "src/exit_status.h"
#include "maps/cluster_map.hpp"
#include "report/cluster_pictures.hpp"
#include "maps/clusters_report.hpp"
#include "tables/staged_outputs.hpp"

namespace vantrel_atlas {
namespace {

void warnUnlessStandardSpace(const maps::StatMap& map, const std::string& path) {
  if (!map.header.standardSpace) {
    std::fprintf(stderr,
                 "vantrel-atlas: warning: %s: neither transform code names a standard space; "
                 "its %s (%s) is taken as MNI\n",
                 path.c_str(), imaging::nameOf(map.grid().transform()),
                 map.header.transformCode.c_str());
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
std::vector<maps::RegionVolumes> regionVolumesOfEach(const std::vector<atlas::LabelAtlas>& atlases) {
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
    for (std::size_t c = 0; c < findings.report.clusters.size(); ++c) {
      findings.parts[c].push_back(maps::compositionOf(findings.report.clusters[c], *findings.map,
                                                atlases.atlases()[a], volumes[a]));
    }
  }
}

void writeReportFiles(const std::string& prefix, const LoadedAtlases& atlases,
                      const RunProvenance& provenance, const ClusterFindings& findings) {
  StagedOutputs outputs;
  outputs.stageText(prefix + "_clusters.tsv", clustersTsv(atlases, provenance, findings));
  outputs.stageText(prefix + "_peaks.tsv", peaksTsv(atlases, provenance, findings));
  outputs.stageText(prefix + ".json", clustersJson(atlases, provenance, findings));
  outputs.stage(prefix + "_clusters.nii.gz", [&](const std::string& temporary) {
    maps::writeClusterMap(temporary, *findings.map, findings.report.clusters);
  });
  outputs.commit();
}

}  // namespace

int runClusters(const Options& options) {
  // Made first, so that a folder that cannot be written stops the run before any work.
  ClusterPictures pictures(options);
  const maps::StatMap map = maps::readStatMap(options.map, options.volume);
  warnUnlessStandardSpace(map, options.map);
  ClusterFindings findings{&map,
                           {options.map, atlas::sha256OfFile(options.map), options.volume},
                           options.clusters,
                           maps::findClusters(map, options.clusters),
                           {},
                           {}};
  if (findings.report.clusters.empty()) {
    std::fprintf(stderr, "vantrel-atlas: %s: no voxel is beyond the threshold\n",
                 options.map.c_str());
  }
  const LoadedAtlases atlases(options.atlases, options.dataDirectory, options.radii, false);
  labelPeaks(atlases, findings);
  composeClusters(atlases, findings);
  const RunProvenance provenance = provenanceOf(options.dataDirectory, atlases.atlases());
  if (!options.outPrefix.empty()) {
    writeReportFiles(options.outPrefix, atlases, provenance, findings);
  }
  pictures.finish(atlases, provenance, findings);
  const std::string table = options.format == Format::kJson
                                ? clustersJson(atlases, provenance, findings)
                                : clustersTsv(atlases, provenance, findings);
  std::fputs(table.c_str(), stdout);
  return vantrel::kExitSuccess;
}

}  // namespace vantrel_atlas
