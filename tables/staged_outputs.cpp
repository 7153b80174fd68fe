// Output files written under temporary names and renamed only once every one is complete, so
// that a failed run leaves no partial output behind.
#include "tables/staged_outputs.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace vantrel_atlas {

StagedOutputs::~StagedOutputs() {
  for (const auto& [temporary, path] : staged_) {
    std::remove(temporary.c_str());
  }
}

void StagedOutputs::stage(const std::string& path,
                          const std::function<void(const std::string&)>& write) {
  // Beside the final file, so the rename stays within one file system.
  const std::string temporary = path + ".partial-" + std::to_string(getpid());
  staged_.emplace_back(temporary, path);
  write(temporary);
}

void StagedOutputs::stageText(const std::string& path, const std::string& text) {
  stage(path, [&](const std::string& temporary) {
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
      throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
      throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    }
  });
}

void StagedOutputs::commit() {
  for (auto it = staged_.begin(); it != staged_.end(); it = staged_.erase(it)) {
    if (std::rename(it->first.c_str(), it->second.c_str()) != 0) {
      throw std::runtime_error("cannot rename to " + it->second + ": " + std::strerror(errno));
    }
  }
}

}  // namespace vantrel_atlas
