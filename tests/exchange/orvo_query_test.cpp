// End-to-end tests of the exchange: the real Vantrel binary against the scripted daemon.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "kit/fake_daemon.hpp"
#include "kit/process.hpp"
#include "protocol/protocol.hpp"

namespace vantrel {
namespace {

using kit::ProcessResult;
using kit::Reply;
using kit::ScriptedDaemon;
using std::chrono::milliseconds;

constexpr milliseconds kRunLimit{10000};
// Longer than kRunLimit: a client that waited for this close would time out.
constexpr milliseconds kHoldLongerThanTheRun{60000};

const std::string kCaudate = "Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate Body";
const std::string kVentricle =
    "Right Cerebrum,Sub-lobar,Extra-Nuclear,Cerebro-Spinal Fluid,Lateral Ventricle";

const std::string kNotice = "NOTICE: The Daemon is down right now, please try again later.\n";
const std::string kReceiveFailure =
    "FAILURE: Unable to receive Orvo response, contact your network administrator.\n";

ProcessResult runVantrel(const std::vector<std::string>& args) {
  return kit::runProcess(VANTREL_BINARY, args, {}, kRunLimit);
}

std::string requestBlock(std::string text) {
  text.resize(protocol::kBlockSize, '\0');
  return text;
}

TEST(OrvoqueryEndToEnd, SendsTheQueryTextThenZerosInOneBlockOf8192Bytes) {
  struct Case {
    std::vector<std::string> args;
    std::string query;
  };
  const Case cases[] = {
      {{"1,", "-4,", "0,", "12"}, "1,-4,0,12"},
      {{"2, 6, 7, 8"}, "2,6,7,8"},
      {{"3,", "5,6,7"}, "3:5,5,6,7"},
      {{"3:11,", "+5,006,-0"}, "3:11,5,6,0"},
  };
  for (const Case& c : cases) {
    ScriptedDaemon daemon({Reply{{"*none"}}});
    const ProcessResult run = runVantrel(c.args);
    EXPECT_EQ(run.exitStatus, 0) << c.query << run.err;
    EXPECT_EQ(daemon.finish(), std::vector<std::string>{requestBlock(c.query)}) << c.query;
  }
}

TEST(OrvoqueryEndToEnd, PrintsTheCubeSearchExampleOfTheUsageText) {
  ScriptedDaemon daemon({Reply{{"9:" + kVentricle + ":18:" + kCaudate + ":"}}});
  const ProcessResult run = runVantrel({"3:3,", "5,6,7"});
  EXPECT_EQ(run.out, "Sent: 3:3,5,6,7\nReturned:\n18:" + kCaudate + "\n9:" + kVentricle + "\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.exitStatus, 0);
}

TEST(OrvoqueryEndToEnd, JoinsAReplyThatArrivesInThreeChunks) {
  Reply step{{"Right Cerebrum,Sub", "-lobar,Caudate,Gray Ma", "tter,Caudate Body"}};
  step.pauseBetweenChunks = milliseconds(20);
  ScriptedDaemon daemon({step});
  const ProcessResult run = runVantrel({"2,", "6,", "7,", "8"});
  EXPECT_EQ(run.out, "Sent: 2,6,7,8\nReturned: " + kCaudate + "\n");
  EXPECT_EQ(run.exitStatus, 0);
}

TEST(OrvoqueryEndToEnd, EndsAReplyOnAConnectionTheDaemonHoldsOpen) {
  struct Case {
    std::string reply;
    std::string printed;
  };
  const Case cases[] = {
      {std::string("a,b\0trailing bytes", 18), "a,b"},  // ends at the NUL
      {"a,b", "a,b"},                                   // ends when the daemon falls silent
  };
  for (const Case& c : cases) {
    Reply step{{c.reply}};
    step.holdOpen = kHoldLongerThanTheRun;
    ScriptedDaemon daemon({step});
    const ProcessResult run = runVantrel({"1,1,2,3"});
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.out, "Sent: 1,1,2,3\nReturned: " + c.printed + "\n");
    EXPECT_EQ(run.exitStatus, 0);
  }
}

TEST(OrvoqueryEndToEnd, KeepsAtMost8191BytesOfALongerReply) {
  ScriptedDaemon daemon({Reply{{std::string(9000, 'x')}}});
  const ProcessResult run = runVantrel({"1,1,2,3"});
  EXPECT_EQ(run.out, "Sent: 1,1,2,3\nReturned: " + std::string(8191, 'x') + "\n");
  EXPECT_EQ(run.exitStatus, 0);
}

TEST(OrvoqueryEndToEnd, DaemonNotListeningIsReportedAsDown) {
  const ProcessResult run = runVantrel({"2,6,7,8"});
  EXPECT_EQ(run.err, kNotice);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.exitStatus, 255);
}

TEST(OrvoqueryEndToEnd, DaemonClosingWithoutAReplyIsAReceiveFailure) {
  ScriptedDaemon daemon({Reply{}});
  const ProcessResult run = runVantrel({"2,6,7,8"});
  EXPECT_EQ(run.err, kReceiveFailure);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.exitStatus, 255);
  EXPECT_EQ(daemon.finish(), std::vector<std::string>{requestBlock("2,6,7,8")});
}

// attempts:0 makes the C library give up without asking any name server.
TEST(OrvoqueryEndToEnd, UnresolvableHostIsNamedInTheLookupMessage) {
  const ProcessResult run = kit::runProcess(VANTREL_UNRESOLVABLE_BINARY, {"2,6,7,8"},
                                            {"RES_OPTIONS=attempts:0"}, kRunLimit);
  EXPECT_EQ(run.err,
            "ERROR: Cannot find no-such-host.invalid host, please contact your network "
            "administrator.\n");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.exitStatus, 255);
}

}  // namespace
}  // namespace vantrel
