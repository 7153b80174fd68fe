// The folder a report is written into, index.html beside a figures/ folder, or the folder
// --figures names. Output that fails part way takes back every file and folder it made.
#include "tables/report_folder.hpp"

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "tables/replace_file.hpp"

namespace report {
namespace {

// Makes a folder and any missing parents, recording each one it made, outermost first.
// Refuses a path, or a parent, that is something other than a folder.
void makeFolders(const std::filesystem::path& dir, std::vector<std::filesystem::path>& made) {
  std::error_code error;
  if (std::filesystem::is_directory(dir, error)) {
    return;
  }
  if (std::filesystem::exists(dir, error)) {
    throw std::runtime_error(dir.string() + ": exists and is not a folder");
  }
  const auto parent = dir.parent_path();
  if (!parent.empty() && parent != dir) {
    makeFolders(parent, made);
  }
  if (!std::filesystem::create_directory(dir, error) || error) {
    throw std::runtime_error(dir.string() + ": cannot create the folder: " +
                             (error ? error.message() : "unknown error"));
  }
  made.push_back(dir);
}

}  // namespace

ReportFolder::ReportFolder(std::filesystem::path dir, std::string figures)
    : dir_(std::move(dir)), figures_(std::move(figures)) {
  try {
    makeFolders(dir_, made_);
    if (!figures_.empty()) {
      makeFolders(dir_ / figures_, made_);
    }
  } catch (...) {
    takeBack();
    throw;
  }
}

ReportFolder::~ReportFolder() {
  if (!finished_) {
    takeBack();
  }
}

void ReportFolder::takeBack() {
  std::error_code ignored;
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
    std::filesystem::remove(*it, ignored);
  }
}

std::filesystem::path ReportFolder::figurePath(const std::string& name) const {
  return dir_ / figures_ / name;
}

std::string ReportFolder::figureHref(const std::string& name) const {
  return figures_.empty() ? name : figures_ + "/" + name;
}

void ReportFolder::wrote(const std::filesystem::path& file) {
  made_.push_back(file);
}

void ReportFolder::finish(const std::string& html) {
  figures::replaceFile(dir_ / "index.html", [&](const std::filesystem::path& temporary) {
    std::ofstream out(temporary, std::ios::binary);
    out << html;
    out.close();
    if (!out) {
      throw std::runtime_error((dir_ / "index.html").string() + ": cannot write the report");
    }
  });
  finished_ = true;
}

}  // namespace report
