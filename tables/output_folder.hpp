// A folder a run writes into file by file, with its figures in a subfolder of their own. A run
// that fails part way takes back every file and folder it made, and only those.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tables {

class OutputFolder {
 public:
  // Creates `dir` and its parents where missing, and its `figures` subfolder unless that is
  // empty. Throws std::runtime_error naming the folder when it is a file or cannot be made.
  OutputFolder(std::filesystem::path dir, std::string figures);
  // Takes back what was made unless the folder was finished or kept.
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  const std::filesystem::path& dir() const { return dir_; }

  // Where a figure goes, and the link to it from a page in the folder.
  std::filesystem::path figurePath(const std::string& name) const;
  std::string figureHref(const std::string& name) const;

  // Counts a file as this run's, to be removed if the folder is not finished.
  void wrote(const std::filesystem::path& file);

  // Writes the file `name` whole, last, so that a folder with that file is a whole one, and
  // keeps everything.
  void finish(const std::string& name, const std::string& text);

  // Keeps what was written, for a folder with no last file.
  void keep() { finished_ = true; }

 private:
  void takeBack();

  std::filesystem::path dir_;
  std::string figures_;
  std::vector<std::filesystem::path> made_;  // files and folders, oldest first
  bool finished_ = false;
};

}  // namespace tables
