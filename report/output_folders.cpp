// The folders of --figures and --report, made before any work so that a folder that cannot be
// written stops a run at once; the figures drawn once, into one of them, and the same files
// given to the other.
#include "report/output_folders.hpp"

namespace report {

OutputFolders::OutputFolders(const std::string& figuresFolder, const std::string& reportFolder) {
  if (!figuresFolder.empty()) {
    figures_.emplace(figuresFolder, "");
  }
  if (!reportFolder.empty()) {
    report_.emplace(reportFolder, kReportFigures);
  }
}

std::vector<std::string> OutputFolders::draw(const figures::FigureSet& set,
                                             const std::vector<figures::Subject>& subjects,
                                             const figures::GlassBrain& glass) {
  const std::vector<std::string> names = set.draw(figures_ ? *figures_ : *report_, subjects, glass);
  if (figures_) {
    figures_->keep();
  }
  if (!report_) {
    return {};
  }
  if (figures_) {
    figures::shareFigures(*figures_, *report_, names);
  }
  std::vector<std::string> links;
  for (const std::string& name : names) {
    links.push_back(report_->figureHref(name));
  }
  return links;
}

}  // namespace report
