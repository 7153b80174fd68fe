// Tests of vantrel-atlas cache through the built program: the listing of a folder's compiled
// files with their sources, and clearing them.
#include <gtest/gtest.h>

#include <fstream>

#include "cache/store.hpp"
#include "testkit/process.hpp"
#include "testkit/temp_dir.hpp"

namespace vantrel_atlas::test {
namespace {

TEST(CacheCommand, ListsEachFileWithItsSourcesAndClearsThem) {
  const vantrel::kit::TempDir dir("vantrel-atlas-cache");
  const cache::CompiledKey key{"label-atlas", 2, cache::sha256OfParts({"aal"})};
  cache::CompiledWriter writer(key);
  cache::addSources(writer, {{"/data/aal.nii.gz", key.source}});
  const std::vector<std::byte> bytes = writer.bytes();
  std::ofstream(dir / key.fileName(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  std::ofstream(dir / "broken.compiled") << "not a compiled file";
  const std::vector<std::string> env{"VANTREL_CACHE_DIR=" + dir.path().string()};

  const vantrel::kit::ProcessResult list =
      vantrel::kit::runProcess(VANTREL_ATLAS_BINARY, {"cache", "list"}, env);
  EXPECT_EQ(list.exitStatus, 0) << list.err;
  const std::string yours = list.out.substr(0, list.out.find("cache folder /var/cache/vantrel"));
  EXPECT_EQ(yours,
            "cache folder " + dir.path().string() + " (yours):\n" +
                "  broken.compiled, 19 bytes, not trusted: compiled again when next needed\n" +
                "  " + key.fileName() + ", " + std::to_string(bytes.size()) +
                " bytes, label-atlas format 2, from:\n" + "    " + cache::hexOf(key.source) +
                "  /data/aal.nii.gz\n");

  const vantrel::kit::ProcessResult clear =
      vantrel::kit::runProcess(VANTREL_ATLAS_BINARY, {"cache", "clear"}, env);
  EXPECT_EQ(clear.exitStatus, 0) << clear.err;
  EXPECT_EQ(clear.out, "cleared " + dir.path().string() + ": " + std::to_string(bytes.size() + 19) +
                           " bytes freed\n");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace vantrel_atlas::test
