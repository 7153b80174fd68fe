// The cluster map's label table: each cluster's number, name and colour, for image viewers.
#pragma once

#include <string>
#include <vector>

#include "maps/clusters.hpp"

namespace figures {

// One line "NUMBER cluster_NUMBER_positive|negative R G B 0" per cluster, after '#' lines, in
// the colour-table form that viewers read beside a label image (the last column is
// transparency, 0 opaque). Positive clusters take the figures' heat colours, negative ones
// their cold colours, the largest of each sign the brightest.
std::string clusterLabelTable(const std::vector<maps::Cluster>& clusters);

}  // namespace figures
