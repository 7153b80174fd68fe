// Output files written under temporary names and renamed only once every one is complete, so
// that a failed run leaves no partial output behind.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vantrel_atlas {

class StagedOutputs {
 public:
  StagedOutputs() = default;
  StagedOutputs(const StagedOutputs&) = delete;
  StagedOutputs& operator=(const StagedOutputs&) = delete;
  // Removes every temporary file not yet renamed.
  ~StagedOutputs();

  // Calls write(temporaryPath) to make the file that will become `path`. Throws
  // std::runtime_error naming `path` when it cannot be written.
  void stage(const std::string& path, const std::function<void(const std::string&)>& write);
  void stageText(const std::string& path, const std::string& text);

  // Renames every staged file to its final name.
  void commit();

 private:
  std::vector<std::pair<std::string, std::string>> staged_;  // temporary, final
};

}  // namespace vantrel_atlas
