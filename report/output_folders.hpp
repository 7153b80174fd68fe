// The folders of --figures and --report, made before any work so that a folder that cannot be
// written stops a run at once; the figures drawn once, into one of them, and the same files
// given to the other.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "figures/figure_set.hpp"
#include "tables/output_folder.hpp"

namespace report {

// A report is its page beside the folder of its figures.
inline constexpr const char* kReportPage = "index.html";
inline constexpr const char* kReportFigures = "figures";

// What --report asks for.
struct ReportOptions {
  std::string folder;       // empty: no report
  std::string commandLine;  // as typed, shown on the page
  std::string input = {};   // a table's input, "-" for standard input; empty for one point
};

class OutputFolders {
 public:
  // Throws std::runtime_error naming a folder that is a file or cannot be made.
  OutputFolders(const std::string& figuresFolder, const std::string& reportFolder);

  bool wanted() const { return figures_ || report_; }
  bool reporting() const { return report_.has_value(); }
  // Only while reporting().
  tables::OutputFolder& report() { return *report_; }

  // Draws every figure into the figures folder, else the report's, and gives the report the
  // same files; returns the report's links to them, in the order of FigureSet::draw, or none
  // without a report. On failure, throws and takes back every file it wrote.
  std::vector<std::string> draw(const figures::FigureSet& set,
                                const std::vector<figures::Subject>& subjects,
                                const figures::GlassBrain& glass);

  // Writes the report's page, last. Only while reporting().
  void finish(const std::string& html) { report_->finish(kReportPage, html); }

 private:
  std::optional<tables::OutputFolder> figures_, report_;
};

}  // namespace report
