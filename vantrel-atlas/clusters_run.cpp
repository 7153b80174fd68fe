// The clusters subcommand: a statistical map in, labelled clusters and peaks out.
#include "vantrel-atlas/clusters_run.hpp"

#include <cstdio>

#include "atlas/provenance.hpp"
#include "exit_status.h"
#include "vantrel-atlas/cluster_map.hpp"
#include "vantrel-atlas/clusters_report.hpp"
#include "vantrel-atlas/staged_outputs.hpp"

namespace vantrel_atlas {
namespace {

void warnUnlessStandardSpace(const atlas::StatMap& map, const std::string& path) {
  if (!map.standardSpace) {
    std::fprintf(stderr,
                 "vantrel-atlas: warning: %s: neither transform code names a standard space; "
                 "its %s (%s) is taken as MNI\n",
                 path.c_str(), map.transform.c_str(), map.transformCode.c_str());
  }
}

void labelPeaks(const LoadedAtlases& atlases, ClusterFindings& findings) {
  for (const Cluster& cluster : findings.report.clusters) {
    auto& answers = findings.peakLabels.emplace_back();
    for (const Peak& peak : cluster.peaks) {
      answers.push_back(atlases.labelMni(peak.world));
    }
  }
}

void composeClusters(const LoadedAtlases& atlases, ClusterFindings& findings) {
  if (findings.report.clusters.empty()) {
    return;
  }
  findings.parts.resize(findings.report.clusters.size());
  for (const atlas::LabelAtlas& atlas : atlases.atlases()) {
    const RegionVolumes volumes = regionVolumesOf(atlas);
    for (std::size_t c = 0; c < findings.report.clusters.size(); ++c) {
      findings.parts[c].push_back(
          compositionOf(findings.report.clusters[c], *findings.map, atlas, volumes));
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
    writeClusterMap(temporary, *findings.map, findings.report.clusterMap,
                    static_cast<std::int64_t>(findings.report.clusters.size()));
  });
  outputs.commit();
}

}  // namespace

int runClusters(const Options& options) {
  const atlas::StatMap map = atlas::readStatMap(options.map, options.volume);
  warnUnlessStandardSpace(map, options.map);
  ClusterFindings findings{&map,
                           {options.map, atlas::sha256OfFile(options.map), options.volume},
                           options.clusters,
                           findClusters(map, options.clusters),
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
  const std::string table = options.format == Format::kJson
                                ? clustersJson(atlases, provenance, findings)
                                : clustersTsv(atlases, provenance, findings);
  std::fputs(table.c_str(), stdout);
  return vantrel::kExitSuccess;
}

}  // namespace vantrel_atlas
