// What a map's clusters hold, written out: the cluster table and the peak table as TSV, and
// the whole as JSON.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "atlas/labelling.hpp"
#include "atlas/provenance_text.hpp"
#include "maps/clusters.hpp"
#include "maps/composition.hpp"
#include "maps/stat_map.hpp"

namespace vantrel_atlas {

// The map a report describes, as the provenance names it.
struct MapSource {
  std::string path;
  std::string sha256;
  std::int64_t volume = 0;
};

// Everything found in a map, each part in cluster number order.
struct ClusterFindings {
  const maps::StatMap* map = nullptr;
  MapSource source;
  maps::ClusterOptions options;
  maps::ClusterReport report;
  std::vector<std::vector<PointAnswer>> peakLabels;          // per cluster, per peak
  std::vector<std::vector<std::vector<maps::RegionShare>>> parts;  // per cluster, per atlas
};

// A composition as one cell: "45.2% Precentral_L; 30.1% Postcentral_L", largest share first.
std::string compositionCell(const LoadedAtlases& atlases, std::size_t a,
                            const std::vector<maps::RegionShare>& shares);

// '#' provenance lines, a header, one row per cluster.
std::string clustersTsv(const LoadedAtlases& atlases, const RunProvenance& provenance,
                        const ClusterFindings& findings);
// '#' provenance lines, a header, one row per peak.
std::string peaksTsv(const LoadedAtlases& atlases, const RunProvenance& provenance,
                     const ClusterFindings& findings);
// {"provenance": ..., "map": ..., "clusters": [...]} and a newline.
std::string clustersJson(const LoadedAtlases& atlases, const RunProvenance& provenance,
                         const ClusterFindings& findings);

}  // namespace vantrel_atlas
