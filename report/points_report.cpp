// The report of point and table: where the answers came from, the glass brain, and one row
// per point linking to its figure.
#include "report/points_report.hpp"

#include <ctime>

#include "atlas/provenance.hpp"
#include "vantrel_version.h"
#include "tables/numbers.hpp"

namespace vantrel_atlas {
namespace {

using tables::formatNumber;

std::string gridText(const atlas::AtlasProvenance& p) {
  return std::to_string(p.grid[0]) + "x" + std::to_string(p.grid[1]) + "x" +
         std::to_string(p.grid[2]) + " voxels of " + formatNumber(p.voxelSizeMm[0], 3) + " mm, " +
         std::to_string(p.labels) + " labels";
}

}  // namespace

std::string utcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

report::Source inputSource(const std::string& path) {
  if (path == "-") {
    return {"input", "standard input", "(not kept, so not hashed)", ""};
  }
  return {"input", path, atlas::sha256OfFile(path), ""};
}

report::Provenance reportProvenance(const RunProvenance& run, const std::string& commandLine,
                                    std::optional<report::Source> input) {
  report::Provenance provenance;
  provenance.commandLine = commandLine;
  provenance.input = std::move(input);
  provenance.toolVersion = "vantrel-atlas " VANTREL_VERSION;
  provenance.dataPackage =
      std::string(atlas::kDataPackage) + " " +
      run.packageVersion.value_or("(version unknown: not installed through dpkg)") + ", " +
      run.dataDirectory;
  provenance.date = utcNow();
  provenance.transform = std::string(atlas::kTransformName) + "; cite " + atlas::kTransformCitation;
  for (const atlas::LabelAtlas& a : *run.atlases) {
    provenance.atlases.push_back(
        {std::string(a.entry().key), a.provenance().path, a.provenance().sha256,
         gridText(a.provenance()) + "; cite " + std::string(a.entry().citation)});
  }
  return provenance;
}

std::string pointsPage(const LoadedAtlases& atlases, const report::Provenance& provenance,
                       const std::vector<Subject>& subjects, const std::vector<std::string>& links,
                       const std::optional<report::Section>& viewer) {
  report::Table table{{"point", "MNI x", "MNI y", "MNI z"}, {}};
  for (const atlas::LabelAtlas& a : atlases.atlases()) {
    table.header.emplace_back(a.entry().key);
  }
  for (std::size_t i = 0; i < subjects.size(); ++i) {
    const PointAnswer& answer = subjects[i].answer;
    report::Row row{{subjects[i].title, formatNumber(answer.mni[0], 3),
                     formatNumber(answer.mni[1], 3), formatNumber(answer.mni[2], 3)},
                    answer.mni,
                    links[i]};
    for (std::size_t a = 0; a < answer.atlases.size(); ++a) {
      row.cells.push_back(answerText(atlases, a, answer.atlases[a]));
    }
    table.rows.push_back(std::move(row));
  }
  const std::string count =
      std::to_string(subjects.size()) + (subjects.size() == 1 ? " point" : " points");
  report::Page page{
      "vantrel-atlas: " + count,
      {report::commandSection(provenance), report::provenanceSection(provenance),
       report::figureSection("glass-brain", "Glass brain", links.back(),
                             "Every point over the brain's outline, seen from the right, "
                             "from behind and from above; numbers are table lines.")}};
  if (viewer) {
    page.sections.push_back(*viewer);
  }
  page.sections.push_back(report::tableSection("points", "Points", table));
  return report::renderPage(page);
}

}  // namespace vantrel_atlas
