// Tests of the orvod program: its refusals to start, readiness and signals.
#include <gtest/gtest.h>

#include "tests/atlas/atlas_fixture.hpp"
#include "testkit/daemon_process.hpp"
#include "testkit/loopback.hpp"

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

// The real binary: ready once it says so, serving, refusing a taken port, stopping cleanly
// on either signal with a client connected.
TEST(OrvodProgram, AnnouncesReadinessServesAndExitsCleanlyOnSigtermAndSigint) {
  ATLAS_SKIP_WITHOUT_DATA();
  for (const int signal : {SIGTERM, SIGINT}) {
    vantrel::kit::DaemonProcess daemon(ORVOD_BINARY,
                                       {"--port", "0", "--data", ATLAS_TEST_DATA_DIR});
    ASSERT_TRUE(daemon.ready()) << daemon.readinessLine();
    EXPECT_TRUE(daemon.readinessLine().starts_with("orvod: listening on 127.0.0.1:"));
    const auto second = runOrvod({"--port", std::to_string(daemon.port())});
    EXPECT_EQ(second.exitStatus, 1);
    EXPECT_EQ(second.err.find("listening"), std::string::npos) << second.err;
    vantrel::kit::ClientSocket stalled(daemon.port());
    ASSERT_TRUE(stalled.send("2,"));
    EXPECT_EQ(vantrel::kit::queryBlock(daemon.port(), "2,6,7,8"),
              "Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate_R");
    EXPECT_EQ(daemon.stop(signal), 0) << "signal " << signal;
  }
}

}  // namespace
}  // namespace orvod
