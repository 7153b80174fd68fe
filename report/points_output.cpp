// --figures and --report of point and table: a figure per point, a glass brain, and a page with
// one row per point linking to its figure.
#include "report/points_output.hpp"
#include "tables/numbers.hpp"

#include <filesystem>
#include <optional>
#include <utility>

#include "figures/captions.hpp"
#include "report/run_provenance.hpp"
#include "report/viewer_section.hpp"

namespace report {
namespace {

using tables::formatNumber;

// `links` holds each subject's figure, then the glass brain's; the viewer, where there is
// one, follows the glass brain.
std::string pointsPage(const vantrel_atlas::LoadedAtlases& atlases, const Provenance& provenance,
                       const std::vector<figures::Subject>& subjects,
                       const std::vector<std::string>& links,
                       const std::optional<Section>& viewer) {
  Table table{{"point", "MNI x", "MNI y", "MNI z"}, {}};
  for (const atlas::LabelAtlas& a : atlases.atlases()) {
    table.header.emplace_back(a.description().key);
  }
  for (std::size_t i = 0; i < subjects.size(); ++i) {
    const vantrel_atlas::PointAnswer& answer = subjects[i].answer;
    Row row{{subjects[i].title, formatNumber(answer.mni[0], 3), formatNumber(answer.mni[1], 3),
             formatNumber(answer.mni[2], 3)},
            answer.mni,
            links[i]};
    for (std::size_t a = 0; a < answer.atlases.size(); ++a) {
      row.cells.push_back(figures::answerText(atlases, a, answer.atlases[a]));
    }
    table.rows.push_back(std::move(row));
  }
  const std::string count =
      std::to_string(subjects.size()) + (subjects.size() == 1 ? " point" : " points");
  Page page{"vantrel-atlas: " + count,
            {commandSection(provenance), provenanceSection(provenance),
             figureSection("glass-brain", "Glass brain", links.back(),
                           "Every point over the brain's outline, seen from the right, "
                           "from behind and from above; numbers are table lines.")}};
  if (viewer) {
    page.sections.push_back(*viewer);
  }
  page.sections.push_back(tableSection("points", "Points", table));
  return renderPage(page);
}

}  // namespace

PointsOutput::PointsOutput(const figures::PictureOptions& pictures, ReportOptions report)
    : format_(pictures.format),
      report_(std::move(report)),
      folders_(pictures.folder, report_.folder) {}

void PointsOutput::finish(const vantrel_atlas::LoadedAtlases& atlases,
                          const vantrel_atlas::RunProvenance& provenance) {
  if (!folders_.wanted()) {
    return;
  }
  const figures::FigureSet set(atlases, provenance.dataDirectory, format_);
  const std::vector<std::string> links =
      folders_.draw(set, points_.subjects(), points_.glassBrain());
  if (!folders_.reporting()) {
    return;
  }
  const auto input =
      report_.input.empty() ? std::nullopt : std::optional(inputSource(report_.input));
  ViewerScene scene{std::filesystem::path(provenance.dataDirectory) / figures::kHeadFile,
                    atlases.atlases(),
                    std::nullopt,
                    0,
                    {}};
  for (const figures::Subject& subject : points_.subjects()) {
    scene.points.push_back(subject.answer.mni);
  }
  const std::optional<Section> viewer = viewerSection(folders_.report(), scene);
  folders_.finish(pointsPage(atlases, reportProvenance(provenance, report_.commandLine, input),
                             points_.subjects(), links, viewer));
}

}  // namespace report
