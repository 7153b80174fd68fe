// The figures of clusters: one per peak over the clusters in heat and cold colours, and a glass
// brain of the whole map numbering each cluster at its first peak.
#pragma once

#include <vector>

#include "figures/figure_set.hpp"
#include "maps/cluster_tables.hpp"

namespace figures {

// The map's values inside its clusters and 0 elsewhere, on the map's grid.
std::vector<float> clusterValues(const vantrel_atlas::ClusterFindings& findings);

Overlay clusterOverlay(const vantrel_atlas::ClusterFindings& findings);

// One subject per peak, cluster by cluster: "cluster-2-peak-1".
std::vector<Subject> peakSubjects(const vantrel_atlas::ClusterFindings& findings);

// Over `overlay`, which must outlive the glass brain.
GlassBrain clustersGlassBrain(const vantrel_atlas::ClusterFindings& findings,
                              const Overlay& overlay);

}  // namespace figures
