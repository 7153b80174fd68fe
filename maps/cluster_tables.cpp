// What a map's clusters hold, written out: the cluster table and the peak table as TSV, and
// the whole as JSON.
#include "maps/cluster_tables.hpp"

#include <cmath>

#include "atlas/point_answers.hpp"
#include "tables/numbers.hpp"
#include "tables/rows.hpp"

namespace vantrel_atlas {
namespace {

using json = nlohmann::ordered_json;
using tables::appendNumber;
using tables::formatNumber;

constexpr int kValueDecimals = 6;
constexpr int kPercentDecimals = 1;
constexpr const char* kUnlabelled = "(unlabelled)";

double rounded(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

// JSON has no infinity: an infinite value is written as the string the TSV prints.
json valueJson(double value) {
  if (std::isinf(value)) {
    return value > 0 ? "inf" : "-inf";
  }
  return rounded(value, kValueDecimals);
}

json millimetresJson(const imaging::Vec3& point) {
  return {rounded(point[0], tables::kMillimetreDecimals),
          rounded(point[1], tables::kMillimetreDecimals),
          rounded(point[2], tables::kMillimetreDecimals)};
}

double volumeMm3(const ClusterFindings& f, const maps::Cluster& cluster) {
  return static_cast<double>(cluster.voxels.size()) * f.map->grid().voxelVolumeMm3();
}

std::string edgeText(const maps::Cluster& cluster) {
  return cluster.touchesEdge ? "yes" : "no";
}

std::string signText(const maps::Cluster& cluster) {
  return cluster.sign > 0 ? "+" : "-";
}

std::string connectivityText(int connectivity) {
  return connectivity == 6    ? "faces"
         : connectivity == 18 ? "faces and edges"
                              : "faces, edges and corners";
}

std::string mapComments(const ClusterFindings& f) {
  const imaging::Grid& grid = f.map->grid();
  const imaging::NiftiHeader& header = f.map->header;
  const imaging::Vec3 size = grid.voxelSize();
  std::string text = "# map: " + f.source.path + ", sha256 " + f.source.sha256 + ", volume " +
                     std::to_string(f.source.volume) + ", " + std::to_string(grid.size()[0]) + "x" +
                     std::to_string(grid.size()[1]) + "x" + std::to_string(grid.size()[2]) +
                     " voxels of " + formatNumber(size[0], 3) + "x" + formatNumber(size[1], 3) +
                     "x" + formatNumber(size[2], 3) + " mm, " + header.datatype +
                     ", world from the " + imaging::nameOf(grid.transform()) + " (" +
                     header.transformCode + ")\n";
  text += "# clusters: values >= " + formatNumber(f.options.threshold, 6) +
          (f.options.twoSided ? " and <= -" + formatNumber(f.options.threshold, 6) : "") +
          "; connectivity " + std::to_string(f.options.connectivity) + " (" +
          connectivityText(f.options.connectivity) + "); min-voxels " +
          std::to_string(f.options.minVoxels) + "; min-volume " +
          formatNumber(f.options.minVolumeMm3, 3) + " mm3; up to " +
          std::to_string(f.options.maxPeaks) + " peaks, " +
          formatNumber(f.options.peakDistanceMm, 3) + " mm apart; " +
          std::to_string(f.report.nanVoxels) + " NaN voxels, " +
          std::to_string(f.report.infVoxels) + " infinite voxels\n";
  text += "# coordinates: MNI mm of voxel centres\n";
  return text;
}

void addPeakCells(tables::TsvRow& row, const maps::Peak& peak) {
  for (double coordinate : peak.world) {
    row.cell(coordinate, tables::kMillimetreDecimals);
  }
  row.cell(peak.value, kValueDecimals);
}

json optionsJson(const ClusterFindings& f) {
  return {{"threshold", f.options.threshold},
          {"two_sided", f.options.twoSided},
          {"connectivity", f.options.connectivity},
          {"min_voxels", f.options.minVoxels},
          {"min_volume_mm3", f.options.minVolumeMm3},
          {"peaks", f.options.maxPeaks},
          {"peak_distance_mm", f.options.peakDistanceMm},
          {"volume", f.source.volume}};
}

json mapJson(const ClusterFindings& f) {
  const imaging::Grid& grid = f.map->grid();
  const imaging::NiftiHeader& header = f.map->header;
  return {{"file", f.source.path},
          {"sha256", f.source.sha256},
          {"nifti", header.version},
          {"datatype", header.datatype},
          {"grid", grid.size()},
          {"volumes", header.volumes},
          {"voxel_mm", millimetresJson(grid.voxelSize())},
          {"transform", imaging::nameOf(grid.transform())},
          {"transform_code", header.transformCode},
          {"standard_space", header.standardSpace},
          {"nan_voxels", f.report.nanVoxels},
          {"inf_voxels", f.report.infVoxels}};
}

json compositionJson(const LoadedAtlases& atlases, std::size_t a,
                     const std::vector<maps::RegionShare>& shares) {
  json regions = json::array();
  const bool probabilistic = atlases.atlases()[a].probabilities() != nullptr;
  for (const maps::RegionShare& share : shares) {
    // A probabilistic atlas's share is a mean probability, not a count of voxels.
    json region = probabilistic ? json{{"label", nullptr}}
                                : json{{"label", nullptr}, {"voxels", share.voxels}};
    region["percent_of_cluster"] = rounded(share.percentOfCluster, 2);
    if (share.index != 0) {
      region["label"] = atlases.atlases()[a].label(share.index).name;
      region["percent_of_region"] = rounded(share.percentOfRegion, 2);
    }
    regions.push_back(std::move(region));
  }
  return {{"atlas", atlases.atlases()[a].description().key}, {"regions", std::move(regions)}};
}

json clusterJson(const LoadedAtlases& atlases, const ClusterFindings& f, std::size_t c) {
  const maps::Cluster& cluster = f.report.clusters[c];
  json peaks = json::array();
  for (std::size_t p = 0; p < cluster.peaks.size(); ++p) {
    const maps::Peak& peak = cluster.peaks[p];
    const json world = millimetresJson(peak.world);
    peaks.push_back({{"peak", p + 1},
                     {"x", world[0]},
                     {"y", world[1]},
                     {"z", world[2]},
                     {"value", valueJson(peak.value)},
                     {"labels", labelsJson(atlases, f.peakLabels[c][p])}});
  }
  json composition = json::array();
  for (std::size_t a = 0; a < atlases.atlases().size(); ++a) {
    composition.push_back(compositionJson(atlases, a, f.parts[c][a]));
  }
  return {{"cluster", cluster.number},
          {"sign", signText(cluster)},
          {"voxels", cluster.voxels.size()},
          {"volume_mm3", rounded(volumeMm3(f, cluster), tables::kMillimetreDecimals)},
          {"touches_edge", cluster.touchesEdge},
          {"peaks", std::move(peaks)},
          {"composition", std::move(composition)}};
}

}  // namespace

std::string compositionCell(const LoadedAtlases& atlases, std::size_t a,
                            const std::vector<maps::RegionShare>& shares) {
  std::string cell;
  for (const maps::RegionShare& share : shares) {
    cell += cell.empty() ? "" : "; ";
    appendNumber(cell, share.percentOfCluster, kPercentDecimals);
    cell += "% ";
    cell += share.index == 0 ? kUnlabelled : atlases.atlases()[a].label(share.index).name;
  }
  return cell;
}

std::string clustersTsv(const LoadedAtlases& atlases, const RunProvenance& provenance,
                        const ClusterFindings& f) {
  std::string out = provenanceComments(provenance, false) + mapComments(f);
  tables::TsvRow row(out);
  row.cell("cluster").cell("sign").cell("voxels").cell("volume_mm3").cell("edge");
  row.cell("peak_x").cell("peak_y").cell("peak_z").cell("peak_value");
  for (const atlas::LabelAtlas& a : atlases.atlases()) {
    const std::string key(a.description().key);
    row.cell(key).cell(key + "_composition");
  }
  row.end();
  for (std::size_t c = 0; c < f.report.clusters.size(); ++c) {
    const maps::Cluster& cluster = f.report.clusters[c];
    row.cell(std::to_string(cluster.number)).cell(signText(cluster));
    row.cell(std::to_string(cluster.voxels.size()))
        .cell(volumeMm3(f, cluster), tables::kMillimetreDecimals)
        .cell(edgeText(cluster));
    addPeakCells(row, cluster.peaks.front());
    const PointAnswer& peak = f.peakLabels[c].front();
    for (std::size_t a = 0; a < atlases.atlases().size(); ++a) {
      const std::uint16_t label = peak.atlases[a].label;
      row.cell(label != 0 ? atlases.atlases()[a].label(label).name : std::string());
      row.cell(compositionCell(atlases, a, f.parts[c][a]));
    }
    row.end();
  }
  return out;
}

std::string peaksTsv(const LoadedAtlases& atlases, const RunProvenance& provenance,
                     const ClusterFindings& f) {
  std::string out = provenanceComments(provenance, false) + mapComments(f);
  tables::TsvRow row(out);
  row.cell("cluster").cell("peak").cell("x").cell("y").cell("z").cell("value");
  addAtlasHeaderCells(row, atlases);
  row.end();
  for (std::size_t c = 0; c < f.report.clusters.size(); ++c) {
    const maps::Cluster& cluster = f.report.clusters[c];
    for (std::size_t p = 0; p < cluster.peaks.size(); ++p) {
      row.cell(std::to_string(cluster.number)).cell(std::to_string(p + 1));
      addPeakCells(row, cluster.peaks[p]);
      addAtlasCells(row, atlases, f.peakLabels[c][p]);
      row.end();
    }
  }
  return out;
}

std::string clustersJson(const LoadedAtlases& atlases, const RunProvenance& provenance,
                         const ClusterFindings& f) {
  json provenanceObject = provenanceJson(provenance);
  provenanceObject["map"] = {{"file", f.source.path}, {"sha256", f.source.sha256}};
  provenanceObject["options"] = optionsJson(f);
  json clusters = json::array();
  for (std::size_t c = 0; c < f.report.clusters.size(); ++c) {
    clusters.push_back(clusterJson(atlases, f, c));
  }
  const json document{{"provenance", std::move(provenanceObject)},
                      {"map", mapJson(f)},
                      {"clusters", std::move(clusters)}};
  return tables::jsonLine(document);
}

}  // namespace vantrel_atlas
