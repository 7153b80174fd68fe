// Tests of the orvod program's refusals to start.
#include <gtest/gtest.h>

#include "atlas/atlas_fixture.hpp"
#include "kit/daemon_process.hpp"
#include "kit/loopback.hpp"

namespace orvod {
namespace {

vantrel::kit::ProcessResult runOrvod(const std::vector<std::string>& arguments) {
  return vantrel::kit::runProcess(ORVOD_BINARY, arguments);
}

TEST(OrvodProgram, RefusesBadOptionsAndMissingAtlasesWithoutListening) {
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{"--port", "70000"},
                                             {"--timeout", "0"},
                                             {"--threads", "0"},
                                             {"--bogus"},
                                             {"--port", "0", "--listen", "localhost"}}) {
    const auto run = runOrvod(arguments);
    EXPECT_NE(run.exitStatus, 0) << arguments.front();
    EXPECT_EQ(run.err.find("listening"), std::string::npos);
  }
  const auto missing = runOrvod({"--port", "0", "--data", "/nonexistent/dir"});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_NE(missing.err.find("/nonexistent/dir/"), std::string::npos) << missing.err;
}

TEST(OrvodProgram, ExitsWithStatusOneWhenThePortIsTaken) {
  ATLAS_SKIP_WITHOUT_DATA();
  vantrel::kit::DaemonProcess first(ORVOD_BINARY, {"--port", "0", "--data", ATLAS_TEST_DATA_DIR});
  ASSERT_TRUE(first.ready()) << first.readinessLine();
  const auto second = runOrvod({"--port", std::to_string(first.port())});
  EXPECT_EQ(second.exitStatus, 1);
  EXPECT_EQ(second.err.find("listening"), std::string::npos) << second.err;
}

}  // namespace
}  // namespace orvod
