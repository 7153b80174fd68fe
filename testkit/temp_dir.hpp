// A scratch folder for a test or a benchmark, removed with everything in it when it goes.
#pragma once

#include <filesystem>
#include <string>

namespace vantrel::kit {

class TempDir {
 public:
  // Makes a fresh folder "<prefix>-XXXXXX" in the system's temporary folder; throws
  // std::runtime_error when it cannot.
  explicit TempDir(const std::string& prefix = "vantrel-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace vantrel::kit
