// The cluster map's label table: each cluster's number, name and colour, for image viewers.
#include "figures/cluster_label_table.hpp"

#include <cmath>

#include "figures/palette.hpp"

namespace figures {
namespace {

// The dimmest a cluster's colour goes, on the palette's ramp from 0 to 1: darker than this is
// hard to see over a dark anatomy.
constexpr double kDimmest = 0.3;

int byte(double channel) {
  return static_cast<int>(std::lround(channel * 255));
}

std::string colourColumns(const Rgb& colour) {
  return std::to_string(byte(colour.r)) + " " + std::to_string(byte(colour.g)) + " " +
         std::to_string(byte(colour.b)) + " 0";
}

}  // namespace

std::string clusterLabelTable(const std::vector<maps::Cluster>& clusters) {
  std::size_t counts[2] = {0, 0};  // negative, positive
  for (const maps::Cluster& cluster : clusters) {
    ++counts[cluster.sign > 0 ? 1 : 0];
  }
  std::string text =
      "# vantrel-atlas cluster map labels: index name R G B A (A is transparency, 0 opaque)\n";
  std::size_t ranks[2] = {0, 0};
  for (const maps::Cluster& cluster : clusters) {
    const std::size_t side = cluster.sign > 0 ? 1 : 0;
    const std::size_t rank = ranks[side]++;
    const double t = counts[side] == 1 ? 1.0
                                       : 1.0 - (1.0 - kDimmest) * static_cast<double>(rank) /
                                                   static_cast<double>(counts[side] - 1);
    const std::string number = std::to_string(cluster.number);
    text += number + " cluster_" + number + (side == 1 ? "_positive " : "_negative ") +
            colourColumns(side == 1 ? palette::heat(t) : palette::cold(t)) + "\n";
  }
  return text;
}

}  // namespace figures
