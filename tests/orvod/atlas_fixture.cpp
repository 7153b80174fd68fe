// Test support: the real atlases, loaded once per test program, or a skip when absent.
#include "atlas_fixture.hpp"

#include <filesystem>
#include <memory>

namespace orvod::testing {
namespace {

std::unique_ptr<Labeller>& sharedLabeller() {
  static std::unique_ptr<Labeller> labeller;
  return labeller;
}

}  // namespace

void AtlasTest::SetUp() {
  if (!std::filesystem::exists(std::filesystem::path(ORVOD_TEST_DATA_DIR) / "aal.nii.gz")) {
    GTEST_SKIP() << "atlas directory " << ORVOD_TEST_DATA_DIR
                 << " is missing; scripts/setup installs mricron-data";
  }
  if (!sharedLabeller()) {
    sharedLabeller() = std::make_unique<Labeller>(loadAtlasSet(ORVOD_TEST_DATA_DIR));
  }
}

const Labeller& AtlasTest::labeller() {
  return *sharedLabeller();
}

}  // namespace orvod::testing
