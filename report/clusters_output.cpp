// --figures and --report of clusters: a figure per peak, a glass brain of the whole map, and a
// page with the cluster and peak tables, each cluster's composition under its row.
#include "report/clusters_output.hpp"
#include "tables/numbers.hpp"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

#include "figures/captions.hpp"
#include "figures/cluster_figures.hpp"
#include "report/run_provenance.hpp"
#include "report/viewer_section.hpp"

namespace report {
namespace {

using maps::Cluster;
using maps::Peak;
using tables::formatNumber;
using vantrel_atlas::ClusterFindings;
using vantrel_atlas::LoadedAtlases;

constexpr int kValueDecimals = 3;
constexpr const char* kEdgeMark = "\u2020";  // a dagger

bool anyTouchesEdge(const ClusterFindings& findings) {
  return std::any_of(findings.report.clusters.begin(), findings.report.clusters.end(),
                     [](const Cluster& cluster) { return cluster.touchesEdge; });
}

std::vector<std::string> peakCells(const Peak& peak) {
  return {formatNumber(peak.world[0], 3), formatNumber(peak.world[1], 3),
          formatNumber(peak.world[2], 3), formatNumber(peak.value, kValueDecimals)};
}

// One row per cluster, linking to its first peak's figure, with every atlas's label at that
// peak; under it, the cluster's composition in each atlas, a list too long for a column.
// `links` are in subject order.
Table clusterTable(const LoadedAtlases& atlases, const ClusterFindings& findings,
                   const std::vector<std::string>& links) {
  Table table{
      {"cluster", "sign", "voxels", "volume mm3", "peak x", "peak y", "peak z", "peak value"},
      {},
      8};
  for (const atlas::LabelAtlas& a : atlases.atlases()) {
    table.header.push_back(std::string(a.description().key) + " at peak");
  }
  std::size_t firstPeak = 0;
  for (std::size_t c = 0; c < findings.report.clusters.size(); ++c) {
    const Cluster& cluster = findings.report.clusters[c];
    const auto voxels = static_cast<double>(cluster.voxels.size());
    Row row{{std::to_string(cluster.number) + (cluster.touchesEdge ? kEdgeMark : ""),
             cluster.sign > 0 ? "+" : "-", std::to_string(cluster.voxels.size()),
             formatNumber(voxels * findings.map->grid().voxelVolumeMm3(), 1)},
            cluster.peaks.front().world,
            links[firstPeak]};
    for (const auto& cell : peakCells(cluster.peaks.front()))
      row.cells.push_back(cell);
    for (std::size_t a = 0; a < atlases.atlases().size(); ++a) {
      row.cells.push_back(
          figures::answerText(atlases, a, findings.peakLabels[c].front().atlases[a]));
      row.details.emplace_back(std::string(atlases.atlases()[a].description().key) + " composition",
                               vantrel_atlas::compositionCell(atlases, a, findings.parts[c][a]));
    }
    table.rows.push_back(std::move(row));
    firstPeak += cluster.peaks.size();
  }
  return table;
}

Table peakTable(const LoadedAtlases& atlases, const ClusterFindings& findings,
                const std::vector<std::string>& links) {
  Table table{{"cluster", "peak", "x", "y", "z", "value"}, {}, 6};
  for (const atlas::LabelAtlas& a : atlases.atlases()) {
    table.header.emplace_back(a.description().key);
  }
  std::size_t subject = 0;
  for (std::size_t c = 0; c < findings.report.clusters.size(); ++c) {
    const Cluster& cluster = findings.report.clusters[c];
    for (std::size_t p = 0; p < cluster.peaks.size(); ++p, ++subject) {
      Row row{{std::to_string(cluster.number), std::to_string(p + 1)},
              cluster.peaks[p].world,
              links[subject]};
      for (const auto& cell : peakCells(cluster.peaks[p]))
        row.cells.push_back(cell);
      for (std::size_t a = 0; a < atlases.atlases().size(); ++a) {
        row.cells.push_back(figures::answerText(atlases, a, findings.peakLabels[c][p].atlases[a]));
      }
      table.rows.push_back(std::move(row));
    }
  }
  return table;
}

// The viewer, where there is one, follows the glass brain.
std::string clustersPage(const LoadedAtlases& atlases, const Provenance& provenance,
                         const ClusterFindings& findings, const std::vector<std::string>& links,
                         const std::optional<Section>& viewer) {
  const std::size_t count = findings.report.clusters.size();
  Page page{"vantrel-atlas: " + std::to_string(count) + (count == 1 ? " cluster" : " clusters"),
            {commandSection(provenance), provenanceSection(provenance),
             figureSection("glass-brain", "Glass brain", links.back(),
                           "Maximum-intensity projections of every cluster, seen from the "
                           "right, from behind and from above; numbers are clusters, at "
                           "their first peak.")}};
  if (viewer) {
    page.sections.push_back(*viewer);
  }
  Section clusters = tableSection("clusters", "Clusters", clusterTable(atlases, findings, links));
  if (anyTouchesEdge(findings)) {
    clusters.html += std::string("<p>") + kEdgeMark +
                     " The cluster touches the edge of the map or voxels without a value (NaN): "
                     "its true extent and peak may lie outside the map.</p>\n";
  }
  page.sections.push_back(std::move(clusters));
  page.sections.push_back(tableSection("peaks", "Peaks", peakTable(atlases, findings, links)));
  return renderPage(page);
}

Source mapSource(const ClusterFindings& findings) {
  const maps::StatMap& map = *findings.map;
  return {"map", findings.source.path, findings.source.sha256,
          "volume " + std::to_string(findings.source.volume) + " of " +
              std::to_string(map.grid().size()[0]) + "x" + std::to_string(map.grid().size()[1]) +
              "x" + std::to_string(map.grid().size()[2]) + " " + map.header.datatype + " voxels"};
}

}  // namespace

ClustersOutput::ClustersOutput(const figures::PictureOptions& pictures, ReportOptions report)
    : format_(pictures.format),
      report_(std::move(report)),
      folders_(pictures.folder, report_.folder) {}

void ClustersOutput::finish(const LoadedAtlases& atlases,
                            const vantrel_atlas::RunProvenance& provenance,
                            const ClusterFindings& findings) {
  if (!folders_.wanted()) {
    return;
  }
  const figures::FigureSet set(atlases, provenance.dataDirectory, format_);
  const figures::Overlay overlay = figures::clusterOverlay(findings);
  const std::vector<std::string> links = folders_.draw(
      set, figures::peakSubjects(findings), figures::clustersGlassBrain(findings, overlay));
  if (!folders_.reporting()) {
    return;
  }
  const maps::StatMap& map = *findings.map;
  const std::optional<Section> viewer = viewerSection(
      folders_.report(), {std::filesystem::path(provenance.dataDirectory) / figures::kHeadFile,
                          atlases.atlases(),
                          imaging::Volume<float>(map.grid(), figures::clusterValues(findings)),
                          findings.options.threshold,
                          {}});
  folders_.finish(
      clustersPage(atlases, reportProvenance(provenance, report_.commandLine, mapSource(findings)),
                   findings, links, viewer));
}

}  // namespace report
