// Test support: the daemon's labeller over the real atlases, loaded once per test program, or a
// skip when they are absent.
#pragma once

#include "orvod/labeller.hpp"
#include "tests/atlas/atlas_fixture.hpp"

namespace orvod::fixture {

class LabellerTest : public ::testing::Test {
 protected:
  void SetUp() override { ATLAS_SKIP_WITHOUT_DATA(); }
  static const Labeller& labeller() {
    static const Labeller shared(loadAtlasSet(ATLAS_TEST_DATA_DIR));
    return shared;
  }
};

}  // namespace orvod::fixture
