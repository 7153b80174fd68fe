// Tests of the error report on messages longer than its buffer.
#include <gtest/gtest.h>

#include <string>

#include "src/vantrel.hpp"

namespace vantrel {
namespace {

TEST(ReportErrorDeathTest, CutsAMessageLongerThanItsBuffer) {
  const std::string longArgument(3 * kTextBufferSize, 'a');
  EXPECT_EXIT(
      ReportError("ERROR: syntax error for parameters: %s", longArgument.c_str(), kUsageLines),
      ::testing::ExitedWithCode(1), "^ERROR: syntax error for parameters: a{8155}\n\n$");
}

}  // namespace
}  // namespace vantrel
