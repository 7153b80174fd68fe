// A folder a run writes into file by file, with its figures in a subfolder of their own. A run
// that fails part way takes back every file and folder it made, and only those.
#include "tables/output_folder.hpp"

#include <stdexcept>
#include <system_error>

#include "tables/staged_files.hpp"

namespace tables {
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

OutputFolder::OutputFolder(std::filesystem::path dir, std::string figures)
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

OutputFolder::~OutputFolder() {
  if (!finished_) {
    takeBack();
  }
}

void OutputFolder::takeBack() {
  std::error_code ignored;
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
    std::filesystem::remove(*it, ignored);
  }
}

std::filesystem::path OutputFolder::figurePath(const std::string& name) const {
  return dir_ / figures_ / name;
}

std::string OutputFolder::figureHref(const std::string& name) const {
  return figures_.empty() ? name : figures_ + "/" + name;
}

void OutputFolder::wrote(const std::filesystem::path& file) {
  made_.push_back(file);
}

void OutputFolder::finish(const std::string& name, const std::string& text) {
  writeTextWhole(dir_ / name, text);
  finished_ = true;
}

}  // namespace tables
