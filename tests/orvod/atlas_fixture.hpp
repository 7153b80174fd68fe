// Test support: the real atlases, loaded once per test program, or a skip when absent.
#pragma once

#include <gtest/gtest.h>

#include "orvod/labeller.hpp"

namespace orvod::testing {

class AtlasTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Valid after SetUp unless the test was skipped.
  static const Labeller& labeller();
};

}  // namespace orvod::testing
