// --figures and --report for point and table: the folders are made before any labelling, so
// that a bad folder fails fast, and filled once every point is labelled.
#include "report/point_pictures.hpp"

#include "report/points_report.hpp"
#include "report/report_viewer.hpp"

namespace vantrel_atlas {

PointPictures::PointPictures(const Options& options) : options_(options) {
  if (!options.figuresDir.empty()) {
    figures_.emplace(options.figuresDir, "");
  }
  if (!options.reportDir.empty()) {
    report_.emplace(options.reportDir, report::ReportFolder::kReportFigures);
  }
}

void PointPictures::add(const GivenPoint& given, const PointAnswer& answer) {
  if (!given.line) {
    subjects_.push_back({"point", "Point", answer});
    marks_.push_back({answer.mni, ""});
    return;
  }
  const std::string line = std::to_string(*given.line);
  // A table's further fields often name the point ("hand motor"): they make the title.
  std::string title = "Line " + line;
  for (std::size_t i = 0; i < given.extra.size(); ++i) {
    title += (i == 0 ? ": " : ", ") + given.extra[i];
  }
  subjects_.push_back({"line-" + line, title, answer});
  marks_.push_back({answer.mni, line});
}

void PointPictures::finish(const LoadedAtlases& atlases, const RunProvenance& provenance) {
  if (!wanted()) {
    return;
  }
  const PictureMaker maker(atlases, options_.dataDirectory,
                           *figures::parseFormat(options_.figureFormat));
  const std::string count =
      std::to_string(subjects_.size()) + (subjects_.size() == 1 ? " point" : " points");
  const figures::GlassBrain glass{
      "Glass brain: " + count,
      {"Every point over the outline of the Colin brain, numbered by its line in the table."},
      marks_,
      nullptr};
  if (figures_) {
    maker.draw(*figures_, subjects_, glass);
    figures_->keep();
  }
  if (report_) {
    const std::vector<std::string> links = maker.draw(*report_, subjects_, glass);
    const auto input = options_.command == Command::kTable
                           ? std::optional(inputSource(options_.input))
                           : std::nullopt;
    std::vector<imaging::Vec3> points;
    for (const Subject& subject : subjects_) {
      points.push_back(subject.answer.mni);
    }
    const auto viewer = pointsViewer(*report_, atlases, options_.dataDirectory, points);
    report_->finish(pointsPage(atlases, reportProvenance(provenance, options_.commandLine, input),
                               subjects_, links, viewer));
  }
}

}  // namespace vantrel_atlas
