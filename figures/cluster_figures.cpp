// The figures of clusters: one per peak over the clusters in heat and cold colours, and a glass
// brain of the whole map numbering each cluster at its first peak.
#include "figures/cluster_figures.hpp"
#include "tables/numbers.hpp"

#include <string>

namespace figures {
namespace {

using maps::Cluster;
using tables::formatNumber;

constexpr int kValueDecimals = 3;

std::string peakName(const Cluster& cluster, std::size_t peak) {
  return "cluster-" + std::to_string(cluster.number) + "-peak-" + std::to_string(peak + 1);
}

}  // namespace

std::vector<float> clusterValues(const vantrel_atlas::ClusterFindings& findings) {
  const maps::StatMap& map = *findings.map;
  std::vector<float> values(map.volume.values().size(), 0.0f);
  for (const Cluster& cluster : findings.report.clusters) {
    for (const std::int64_t v : cluster.voxels) {
      values[static_cast<std::size_t>(v)] =
          static_cast<float>(map[static_cast<std::size_t>(v)]);
    }
  }
  return values;
}

Overlay clusterOverlay(const vantrel_atlas::ClusterFindings& findings) {
  const maps::StatMap& map = *findings.map;
  return Overlay(imaging::Volume<float>(map.grid(), clusterValues(findings)),
                 findings.options.threshold);
}

std::vector<Subject> peakSubjects(const vantrel_atlas::ClusterFindings& findings) {
  std::vector<Subject> subjects;
  for (std::size_t c = 0; c < findings.report.clusters.size(); ++c) {
    const Cluster& cluster = findings.report.clusters[c];
    for (std::size_t p = 0; p < cluster.peaks.size(); ++p) {
      subjects.push_back({peakName(cluster, p),
                          "Cluster " + std::to_string(cluster.number) + " (" +
                              (cluster.sign > 0 ? "+" : "-") + "), peak " + std::to_string(p + 1) +
                              ": value " + formatNumber(cluster.peaks[p].value, kValueDecimals),
                          findings.peakLabels[c][p]});
    }
  }
  return subjects;
}

GlassBrain clustersGlassBrain(const vantrel_atlas::ClusterFindings& findings,
                              const Overlay& overlay) {
  GlassBrain glass{"Glass brain: " + std::to_string(findings.report.clusters.size()) +
                       " clusters, |value| >= " + formatNumber(findings.options.threshold, 6),
                   {"Heat: positive clusters; cold: negative ones. Numbers are "
                    "clusters, at their first peak, over the outline of the Colin brain."},
                   {},
                   &overlay};
  for (const Cluster& cluster : findings.report.clusters) {
    glass.marks.push_back({cluster.peaks.front().world, std::to_string(cluster.number)});
  }
  return glass;
}

}  // namespace figures
