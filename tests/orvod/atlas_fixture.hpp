// Test support: the real atlases, loaded once per test program, or a skip when they are absent.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "orvod/labeller.hpp"

namespace orvod::testing {

inline bool atlasesInstalled() {
  return std::filesystem::exists(std::filesystem::path(ORVOD_TEST_DATA_DIR) / "aal.nii.gz");
}

#define ORVOD_SKIP_WITHOUT_ATLASES()                                                           \
  if (!::orvod::testing::atlasesInstalled()) {                                                 \
    GTEST_SKIP() << ORVOD_TEST_DATA_DIR << " is missing; scripts/setup installs mricron-data"; \
  }

class AtlasTest : public ::testing::Test {
 protected:
  void SetUp() override { ORVOD_SKIP_WITHOUT_ATLASES(); }
  static const Labeller& labeller() {
    static const Labeller shared(loadAtlasSet(ORVOD_TEST_DATA_DIR));
    return shared;
  }
};

}  // namespace orvod::testing
