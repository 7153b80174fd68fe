// Tests of provenance: the package version from dpkg's status text, and file digests.
#include "atlas/provenance.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace atlas {
namespace {

TEST(InstalledVersion, ReadsTheInstalledStanzaOfThePackageOnly) {
  const std::string status =
      "Package: mricron\nStatus: install ok installed\nVersion: 9.9\n\n"
      "Package: mricron-data\nStatus: install ok installed\nPriority: optional\n"
      "Version: 1.2.20211006+dfsg-4\nDescription: data\n\n"
      "Package: gone\nStatus: deinstall ok config-files\nVersion: 1.0\n\n"
      "Package: half\nStatus: install reinstreq half-installed\nVersion: 2.0\n";
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"mricron-data", "1.2.20211006+dfsg-4"},
      {"mricron", "9.9"},
      {"gone", std::nullopt},
      {"half", std::nullopt},
      {"mricron-dat", std::nullopt},
      {"absent", std::nullopt},
  };
  for (const auto& [package, version] : cases) {
    EXPECT_EQ(installedVersion(status, package), version) << package;
  }
}

TEST(Sha256OfFile, MatchesKnownDigests) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("vantrel-sha-" + std::to_string(getpid()));
  const std::pair<std::string, const char*> cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
  };
  for (const auto& [content, digest] : cases) {
    std::ofstream(path, std::ios::binary) << content;
    EXPECT_EQ(sha256OfFile(path.string()), digest) << content;
  }
  std::filesystem::remove(path);
  EXPECT_THROW(sha256OfFile(path.string()), std::runtime_error);
}

}  // namespace
}  // namespace atlas
