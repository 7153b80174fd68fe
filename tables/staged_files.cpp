// Output files that appear whole or not at all: each is written under a temporary name beside
// its own, and renamed once complete; a group is renamed only once every file is complete.
#include "tables/staged_files.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace tables {
namespace {

// Beside the file, so that the rename stays within one file system; a leading dot keeps it out
// of file managers' and shells' listings.
std::filesystem::path temporaryFor(const std::filesystem::path& path) {
  return path.parent_path() /
         ("." + path.filename().string() + ".partial-" + std::to_string(::getpid()));
}

}  // namespace

StagedFiles::~StagedFiles() {
  for (const auto& [temporary, path] : staged_) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
  }
}

void StagedFiles::stage(const std::filesystem::path& path, const FileWriter& write) {
  staged_.emplace_back(temporaryFor(path), path);
  write(staged_.back().first);
}

void StagedFiles::stageText(const std::filesystem::path& path, const std::string& text) {
  stage(path, [&](const std::filesystem::path& temporary) {
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
      throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
      throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
    }
  });
}

void StagedFiles::commit() {
  for (auto it = staged_.begin(); it != staged_.end(); it = staged_.erase(it)) {
    if (std::rename(it->first.c_str(), it->second.c_str()) != 0) {
      throw std::runtime_error("cannot rename to " + it->second.string() + ": " +
                               std::strerror(errno));
    }
  }
}

void writeWhole(const std::filesystem::path& path, const FileWriter& write) {
  StagedFiles file;
  file.stage(path, write);
  file.commit();
}

void writeTextWhole(const std::filesystem::path& path, const std::string& text) {
  StagedFiles file;
  file.stageText(path, text);
  file.commit();
}

}  // namespace tables
