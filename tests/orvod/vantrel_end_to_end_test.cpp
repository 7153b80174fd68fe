// Vantrel against a real orvod on port 1600: the report a user reads, for fields, pairs and a
// message.
#include <gtest/gtest.h>

#include "tests/atlas/atlas_fixture.hpp"
#include "testkit/daemon_process.hpp"
#include "testkit/loopback.hpp"

namespace orvod {
namespace {

TEST(VantrelWithOrvod, PrintsTheReportOfEachKindOfAnswer) {
  ATLAS_SKIP_WITHOUT_DATA();
  vantrel::kit::DaemonProcess daemon(ORVOD_BINARY, {"--data", ATLAS_TEST_DATA_DIR});
  ASSERT_EQ(daemon.readinessLine(), "orvod: listening on 127.0.0.1:1600");

  struct Case {
    std::vector<std::string> args;
    std::string report;
  };
  const Case cases[] = {
      {{"2, 6, 7, 8"},
       "Sent: 2,6,7,8\nReturned: Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate_R\n"},
      // The daemon sends the tie in label order; the client lists equal counts latest first.
      {{"3:3,0,-60,-20"},
       "Sent: 3:3,0,-60,-20\nReturned:\n"
       "9:Right Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6\n"
       "9:Midline Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6\n"
       "9:Left Cerebellum,Posterior Lobe,Vermis 6,Gray Matter,Vermis_6\n"},
      {{"3,100,100,100"},
       "Sent: 3:5,100,100,100\nReturned:\nTalairach 100,100,100: the 5x5x5 cube is outside the "
       "brain\n"},
  };
  for (const Case& c : cases) {
    const auto run = vantrel::kit::runProcess(VANTREL_BINARY, c.args);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, c.report);
  }
}

}  // namespace
}  // namespace orvod
