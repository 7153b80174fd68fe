// Tests of vantrel-atlas list through the built program.
#include <gtest/gtest.h>

#include "tests/vantrel-atlas/atlas_program.hpp"

namespace vantrel_atlas::test {
namespace {

TEST(ListCommand, ReportsTheSha256OfEveryAtlasFile) {
  ATLAS_SKIP_WITHOUT_DATA();
  const vantrel::kit::ProcessResult list = runAtlas({"list", "--format", "json"});
  ASSERT_EQ(list.exitStatus, 0) << list.err;
  const nlohmann::json atlases = jsonRecords(list.out).at(0)["provenance"]["atlases"];
  ASSERT_EQ(atlases.size(), 6U);
  for (const nlohmann::json& a : atlases) {
    const std::string path = std::string(ATLAS_TEST_DATA_DIR) + "/" + a["file"].get<std::string>();
    const vantrel::kit::ProcessResult sum = vantrel::kit::runProcess("/usr/bin/sha256sum", {path});
    EXPECT_EQ(sum.out.substr(0, 64), a["sha256"]) << path;
  }
}

}  // namespace
}  // namespace vantrel_atlas::test
