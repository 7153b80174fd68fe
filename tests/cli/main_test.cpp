// Tests of the run sequence through the Vantrel binary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/expected_output.hpp"
#include "testkit/process.hpp"
#include "src/vantrel.hpp"

namespace vantrel {
namespace {

TEST(Main, WithoutArgumentsReportsTooFewParameters) {
  const kit::ProcessResult run = kit::runProcess(VANTREL_BINARY, {});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "ERROR: Too few parameters.\n\n");
  EXPECT_EQ(run.out, expected::kUsageText);
}

// Blanks would vanish later, but the joined text itself has no room.
TEST(Main, RejectsJoinedArgumentsOneCharacterLongerThanTheParameterString) {
  const std::string padding(kMaxTextLength - 6, ' ');
  const kit::ProcessResult run = kit::runProcess(VANTREL_BINARY, {"2,6,7,8", padding});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "ERROR: parameter string longer than 8191 characters.\n\n");
  EXPECT_EQ(run.out, expected::kUsageText);
}

TEST(Main, AcceptsJoinedArgumentsThatJustFit) {
  const std::string padding(kMaxTextLength - 7, ' ');
  const kit::ProcessResult run = kit::runProcess(VANTREL_BINARY, {"2,6,7,8", padding});
  EXPECT_NE(run.exitStatus, 1) << run.err;
  EXPECT_EQ(run.err.find("ERROR: "), std::string::npos) << run.err;
}

}  // namespace
}  // namespace vantrel
