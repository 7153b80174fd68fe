// Tests of the run sequence through the Vantrel binary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "src/vantrel.hpp"
#include "testkit/process.hpp"
#include "tests/cli/expected_output.hpp"

namespace vantrel {
namespace {

TEST(Main, WithoutArgumentsReportsTooFewParameters) {
  const kit::ProcessResult run = kit::runProcess(VANTREL_BINARY, {});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "ERROR: Too few parameters.\n\n");
  EXPECT_EQ(run.out, expected::kUsageText);
}

// Blanks would vanish later, but the joined text itself must fit the parameter string.
TEST(Main, TakesJoinedArgumentsUpToTheLengthOfTheParameterString) {
  const std::string padding(kMaxTextLength - 7, ' ');
  const kit::ProcessResult fits = kit::runProcess(VANTREL_BINARY, {"2,6,7,8", padding});
  EXPECT_EQ(fits.err.find("ERROR: "), std::string::npos) << fits.err;
  const kit::ProcessResult longer = kit::runProcess(VANTREL_BINARY, {"2,6,7,8", padding + " "});
  EXPECT_EQ(longer.exitStatus, 1);
  EXPECT_EQ(longer.err, "ERROR: parameter string longer than 8191 characters.\n\n");
}

}  // namespace
}  // namespace vantrel
