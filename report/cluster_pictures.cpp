// --figures and --report for clusters: a figure per peak over the clusters in heat and cold
// colours, a glass brain of the whole map, and a page with the cluster and peak tables.
#include "report/cluster_pictures.hpp"

#include "figures/pictures.hpp"
#include "report/points_report.hpp"
#include "report/report_viewer.hpp"

namespace vantrel_atlas {
namespace {

constexpr int kValueDecimals = 3;

// The map's values inside the clusters, 0 elsewhere, for the heat and cold colours.
std::vector<float> clusterValues(const ClusterFindings& findings) {
  const maps::StatMap& map = *findings.map;
  std::vector<float> values(map.volume.values().size(), 0.0f);
  for (const maps::Cluster& cluster : findings.report.clusters) {
    for (const std::int64_t v : cluster.voxels) {
      values[static_cast<std::size_t>(v)] =
          static_cast<float>(map[static_cast<std::size_t>(v)]);
    }
  }
  return values;
}

figures::Overlay overlayOf(const ClusterFindings& findings) {
  const maps::StatMap& map = *findings.map;
  return figures::Overlay(imaging::Volume<float>(map.grid(), clusterValues(findings)),
                          findings.options.threshold);
}

std::optional<report::Section> viewerOf(report::ReportFolder& folder, const LoadedAtlases& atlases,
                                        const std::string& dataDirectory,
                                        const ClusterFindings& findings) {
  const maps::StatMap& map = *findings.map;
  return clustersViewer(folder, atlases, dataDirectory,
                        imaging::Volume<float>(map.grid(), clusterValues(findings)),
                        findings.options.threshold);
}

std::string peakName(const maps::Cluster& cluster, std::size_t peak) {
  return "cluster-" + std::to_string(cluster.number) + "-peak-" + std::to_string(peak + 1);
}

std::vector<Subject> subjectsOf(const ClusterFindings& findings) {
  std::vector<Subject> subjects;
  for (std::size_t c = 0; c < findings.report.clusters.size(); ++c) {
    const maps::Cluster& cluster = findings.report.clusters[c];
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

std::vector<std::string> peakCells(const maps::Peak& peak) {
  return {formatNumber(peak.world[0], 3), formatNumber(peak.world[1], 3),
          formatNumber(peak.world[2], 3), formatNumber(peak.value, kValueDecimals)};
}

// One row per cluster, linking to its first peak's figure; `links` are in subject order.
report::Table clusterTable(const LoadedAtlases& atlases, const ClusterFindings& findings,
                           const std::vector<std::string>& links) {
  report::Table table{
      {"cluster", "sign", "voxels", "volume mm3", "peak x", "peak y", "peak z", "peak value"}, {}};
  for (const atlas::LabelAtlas& a : atlases.atlases()) {
    table.header.push_back(std::string(a.entry().key) + " at peak");
    table.header.push_back(std::string(a.entry().key) + " composition");
  }
  std::size_t firstPeak = 0;
  for (std::size_t c = 0; c < findings.report.clusters.size(); ++c) {
    const maps::Cluster& cluster = findings.report.clusters[c];
    const auto voxels = static_cast<double>(cluster.voxels.size());
    report::Row row{{std::to_string(cluster.number), cluster.sign > 0 ? "+" : "-",
                     std::to_string(cluster.voxels.size()),
                     formatNumber(voxels * findings.map->grid().voxelVolumeMm3(), 1)},
                    cluster.peaks.front().world,
                    links[firstPeak]};
    for (const auto& cell : peakCells(cluster.peaks.front()))
      row.cells.push_back(cell);
    for (std::size_t a = 0; a < atlases.atlases().size(); ++a) {
      row.cells.push_back(answerText(atlases, a, findings.peakLabels[c].front().atlases[a]));
      row.cells.push_back(compositionCell(atlases, a, findings.parts[c][a]));
    }
    table.rows.push_back(std::move(row));
    firstPeak += cluster.peaks.size();
  }
  return table;
}

report::Table peakTable(const LoadedAtlases& atlases, const ClusterFindings& findings,
                        const std::vector<std::string>& links) {
  report::Table table{{"cluster", "peak", "x", "y", "z", "value"}, {}};
  for (const atlas::LabelAtlas& a : atlases.atlases()) {
    table.header.emplace_back(a.entry().key);
  }
  std::size_t subject = 0;
  for (std::size_t c = 0; c < findings.report.clusters.size(); ++c) {
    const maps::Cluster& cluster = findings.report.clusters[c];
    for (std::size_t p = 0; p < cluster.peaks.size(); ++p, ++subject) {
      report::Row row{{std::to_string(cluster.number), std::to_string(p + 1)},
                      cluster.peaks[p].world,
                      links[subject]};
      for (const auto& cell : peakCells(cluster.peaks[p]))
        row.cells.push_back(cell);
      for (std::size_t a = 0; a < atlases.atlases().size(); ++a) {
        row.cells.push_back(answerText(atlases, a, findings.peakLabels[c][p].atlases[a]));
      }
      table.rows.push_back(std::move(row));
    }
  }
  return table;
}

// The viewer, where there is one, follows the glass brain.
std::string clustersPage(const LoadedAtlases& atlases, const report::Provenance& provenance,
                         const ClusterFindings& findings, const std::vector<std::string>& links,
                         const std::optional<report::Section>& viewer) {
  const std::size_t count = findings.report.clusters.size();
  report::Page page{
      "vantrel-atlas: " + std::to_string(count) + (count == 1 ? " cluster" : " clusters"),
      {report::commandSection(provenance), report::provenanceSection(provenance),
       report::figureSection("glass-brain", "Glass brain", links.back(),
                             "Maximum-intensity projections of every cluster, seen from the "
                             "right, from behind and from above; numbers are clusters, at "
                             "their first peak.")}};
  if (viewer) {
    page.sections.push_back(*viewer);
  }
  page.sections.push_back(
      report::tableSection("clusters", "Clusters", clusterTable(atlases, findings, links)));
  page.sections.push_back(
      report::tableSection("peaks", "Peaks", peakTable(atlases, findings, links)));
  return report::renderPage(page);
}

}  // namespace

ClusterPictures::ClusterPictures(const Options& options) : options_(options) {
  if (!options.figuresDir.empty()) {
    figures_.emplace(options.figuresDir, "");
  }
  if (!options.reportDir.empty()) {
    report_.emplace(options.reportDir, report::ReportFolder::kReportFigures);
  }
}

void ClusterPictures::finish(const LoadedAtlases& atlases, const RunProvenance& provenance,
                             const ClusterFindings& findings) {
  if (!figures_ && !report_) {
    return;
  }
  const PictureMaker maker(atlases, options_.dataDirectory,
                           *figures::parseFormat(options_.figureFormat));
  const figures::Overlay overlay = overlayOf(findings);
  figures::GlassBrain glass{
      "Glass brain: " + std::to_string(findings.report.clusters.size()) +
          " clusters, |value| >= " + formatNumber(findings.options.threshold, 6),
      {"Heat: positive clusters; cold: negative ones. Numbers are "
       "clusters, at their first peak, over the outline of the Colin brain."},
      {},
      &overlay};
  for (const maps::Cluster& cluster : findings.report.clusters) {
    glass.marks.push_back({cluster.peaks.front().world, std::to_string(cluster.number)});
  }
  const std::vector<Subject> subjects = subjectsOf(findings);
  if (figures_) {
    maker.draw(*figures_, subjects, glass);
    figures_->keep();
  }
  if (report_) {
    const std::vector<std::string> links = maker.draw(*report_, subjects, glass);
    const maps::StatMap& map = *findings.map;
    const report::Source input{"map", findings.source.path, findings.source.sha256,
                               "volume " + std::to_string(findings.source.volume) + " of " +
                                   std::to_string(map.grid().size()[0]) + "x" +
                                   std::to_string(map.grid().size()[1]) + "x" +
                                   std::to_string(map.grid().size()[2]) + " " +
                                   map.header.datatype + " voxels"};
    const auto viewer = viewerOf(*report_, atlases, options_.dataDirectory, findings);
    report_->finish(clustersPage(atlases, reportProvenance(provenance, options_.commandLine, input),
                                 findings, links, viewer));
  }
}

}  // namespace vantrel_atlas
