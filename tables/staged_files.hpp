// Output files that appear whole or not at all: each is written under a temporary name beside
// its own, and renamed once complete; a group is renamed only once every file is complete.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tables {

// Makes the file at the temporary path it is given; throws when it cannot.
using FileWriter = std::function<void(const std::filesystem::path& temporary)>;

class StagedFiles {
 public:
  StagedFiles() = default;
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;
  // Removes every temporary file not yet renamed.
  ~StagedFiles();

  // Calls write(temporary) to make the file that will become `path`.
  void stage(const std::filesystem::path& path, const FileWriter& write);
  // Throws std::runtime_error "cannot write <path>: <reason>".
  void stageText(const std::filesystem::path& path, const std::string& text);

  // Renames every staged file to its name, in the order they were staged. Throws
  // std::runtime_error "cannot rename to <path>: <reason>".
  void commit();

 private:
  // Each temporary file and the name it gets.
  std::vector<std::pair<std::filesystem::path, std::filesystem::path>> staged_;
};

// One file on its own, staged and renamed at once.
void writeWhole(const std::filesystem::path& path, const FileWriter& write);
void writeTextWhole(const std::filesystem::path& path, const std::string& text);

}  // namespace tables
