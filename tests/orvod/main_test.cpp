// Tests of the orvod program's options, failures and default address.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "daemon_process.hpp"
#include "vantrel_version.h"

namespace orvod {
namespace {

using testing::DaemonProcess;
using testing::runToCompletion;

bool atlasesInstalled() {
  return std::filesystem::exists(std::filesystem::path(ORVOD_TEST_DATA_DIR) / "aal.nii.gz");
}

TEST(OrvodProgram, PrintsItsVersionAndHelp) {
  const testing::RunResult version = runToCompletion({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "orvod " VANTREL_VERSION "\n");

  const testing::RunResult help = runToCompletion({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--data", "--listen", "--port", "--timeout", "--threads"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

TEST(OrvodProgram, RefusesBadOptionsWithoutListening) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--port", "70000"}, {"--timeout", "0"}, {"--threads", "0"}, {"--bogus"}}) {
    const testing::RunResult run = runToCompletion(arguments);
    EXPECT_NE(run.status, 0) << arguments.front();
    EXPECT_EQ(run.err.find("listening"), std::string::npos);
  }
}

TEST(OrvodProgram, ExitsWithStatusOneWhenTheAtlasesAreMissing) {
  const testing::RunResult run = runToCompletion({"--port", "0", "--data", "/nonexistent/dir"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("/nonexistent/dir/"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("listening"), std::string::npos);
}

TEST(OrvodProgram, ExitsWithStatusOneWhenThePortIsTaken) {
  if (!atlasesInstalled()) {
    GTEST_SKIP() << ORVOD_TEST_DATA_DIR << " is missing";
  }
  DaemonProcess first({"--port", "0", "--data", ORVOD_TEST_DATA_DIR});
  ASSERT_TRUE(first.ready()) << first.readinessLine();
  const testing::RunResult second =
      runToCompletion({"--port", std::to_string(first.port()), "--data", ORVOD_TEST_DATA_DIR});
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(second.err.find("listening"), std::string::npos) << second.err;
}

// The Vantrel client asks port 1600 of the loopback host, so that is where orvod listens unless
// told otherwise.
TEST(OrvodProgram, ListensOnLoopbackPort1600ByDefault) {
  if (!atlasesInstalled()) {
    GTEST_SKIP() << ORVOD_TEST_DATA_DIR << " is missing";
  }
  DaemonProcess daemon({"--data", ORVOD_TEST_DATA_DIR});
  ASSERT_EQ(daemon.readinessLine(), "orvod: listening on 127.0.0.1:1600");
  EXPECT_EQ(testing::queryBlock(1600, "2,6,7,8"),
            "Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate_R");
  EXPECT_EQ(daemon.stop(SIGTERM), 0);
}

}  // namespace
}  // namespace orvod
