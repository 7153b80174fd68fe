// Tests of how a table run ends: the exit status adds up what went wrong.
#include "tables/run_summary.hpp"

#include <gtest/gtest.h>

namespace tables {
namespace {

TEST(ExitStatusFor, GivesEachKindOfTroubleItsStatusAndAddsThemUp) {
  struct Case {
    RunCounts counts;
    int status;
  };
  const Case cases[] = {
      {{5, 0, 0}, 0}, {{5, 1, 0}, 2}, {{0, 0, 3}, 4}, {{0, 2, 1}, 6}, {{0, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(exitStatusFor(c.counts), c.status) << c.counts.rejected << ' ' << c.counts.failed;
  }
}

}  // namespace
}  // namespace tables
