// Test support: the real atlases, loaded once per test program, or a skip when they are absent.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

namespace atlas::fixture {

inline bool atlasesInstalled() {
  return std::filesystem::exists(std::filesystem::path(ATLAS_TEST_DATA_DIR) / "aal.nii.gz");
}

#define ATLAS_SKIP_WITHOUT_DATA()                                                           \
  if (!::atlas::fixture::atlasesInstalled()) {                                                 \
    GTEST_SKIP() << ATLAS_TEST_DATA_DIR << " is missing; scripts/setup installs mricron-data"; \
  }

}  // namespace atlas::fixture
