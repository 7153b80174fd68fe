// Tests of the error report that ends a run on bad input.
#include <gtest/gtest.h>

#include <string>

#include "vantrel.hpp"

namespace vantrel {
namespace {

TEST(ReportErrorDeathTest, PrintsTheMessageAndExitsWithStatus1) {
  EXPECT_EXIT(ReportError("ERROR: <Code> can only be 1, 2, or 3: %s", "4,1,2,3", kUsageLines),
              ::testing::ExitedWithCode(1), "^ERROR: <Code> can only be 1, 2, or 3: 4,1,2,3\n\n$");
}

TEST(ReportErrorDeathTest, CutsAMessageLongerThanItsBuffer) {
  const std::string longArgument(3 * kTextBufferSize, 'a');
  EXPECT_EXIT(
      ReportError("ERROR: syntax error for parameters: %s", longArgument.c_str(), kUsageLines),
      ::testing::ExitedWithCode(1), "^ERROR: syntax error for parameters: a{8155}\n\n$");
}

TEST(ReportErrorDeathTest, StopsTheUsageTextAtTheEmptyEntry) {
  const char* const usage[] = {"one\n", "", "never printed\n", ""};
  EXPECT_EXIT({ ReportError("ERROR: Too few parameters.", "", usage); },
              ::testing::ExitedWithCode(1), "^ERROR: Too few parameters.\n\n$");
}

}  // namespace
}  // namespace vantrel
