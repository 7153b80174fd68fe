// The folder a report is written into, index.html beside a figures/ folder, or the folder
// --figures names. Output that fails part way takes back every file and folder it made.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace report {

class ReportFolder {
 public:
  static constexpr const char* kReportFigures = "figures";

  // Creates `dir` and its parents, and its `figures` subfolder unless that is empty, where
  // missing. Throws
  // std::runtime_error naming the folder when it is a file or cannot be made.
  ReportFolder(std::filesystem::path dir, std::string figures);
  ~ReportFolder();
  ReportFolder(const ReportFolder&) = delete;
  ReportFolder& operator=(const ReportFolder&) = delete;

  const std::filesystem::path& dir() const { return dir_; }

  // Where a figure goes, and the link to it from index.html.
  std::filesystem::path figurePath(const std::string& name) const;
  std::string figureHref(const std::string& name) const;

  // Counts a file as this report's, to be removed if the report is not finished.
  void wrote(const std::filesystem::path& file);

  // Writes index.html, last, so that a report with an index is a whole report.
  void finish(const std::string& html);

  // Keeps what was written, for a folder of figures with no page.
  void keep() { finished_ = true; }

 private:
  void takeBack();

  std::filesystem::path dir_;
  std::string figures_;
  std::vector<std::filesystem::path> made_;  // files and folders, oldest first
  bool finished_ = false;
};

}  // namespace report
