// The folder a report is written into: index.html beside a figures/ folder. A report that
// fails part way takes back every file and folder it made.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace report {

class ReportFolder {
 public:
  // Creates `dir` and its figures/ folder where missing. Throws std::runtime_error naming the
  // folder when it is a file or cannot be made.
  explicit ReportFolder(std::filesystem::path dir);
  ~ReportFolder();
  ReportFolder(const ReportFolder&) = delete;
  ReportFolder& operator=(const ReportFolder&) = delete;

  const std::filesystem::path& dir() const { return dir_; }

  // Where a figure goes, and the link to it from index.html.
  std::filesystem::path figurePath(const std::string& name) const;
  static std::string figureHref(const std::string& name);

  // Counts a file as this report's, to be removed if the report is not finished.
  void wrote(const std::filesystem::path& file);

  // Writes index.html, last, so that a report with an index is a whole report.
  void finish(const std::string& html);

 private:
  std::filesystem::path dir_;
  std::vector<std::filesystem::path> made_;  // files and folders, oldest first
  bool finished_ = false;
};

}  // namespace report
