// The real Vantrel binary against a fake daemon: the block it sends, and a defined printout
// and status for every reply, from the ordinary to floods, stray NULs and silence.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "testkit/fake_daemon.hpp"
#include "testkit/process.hpp"
#include "src/protocol/protocol.hpp"

namespace vantrel {
namespace {

using kit::ProcessResult;
using kit::Reply;
using kit::ScriptedDaemon;
using std::chrono::milliseconds;

constexpr milliseconds kRunLimit{10000};
constexpr std::size_t kFloodBytes = 4 << 20;

const std::string kCaudate = "Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate Body";
const std::string kVentricle =
    "Right Cerebrum,Sub-lobar,Extra-Nuclear,Cerebro-Spinal Fluid,Lateral Ventricle";

ProcessResult runVantrel(const std::vector<std::string>& args, milliseconds limit = kRunLimit) {
  return kit::runProcess(VANTREL_BINARY, args, {}, limit);
}

std::string requestBlock(std::string text) {
  text.resize(protocol::kBlockSize, '\0');
  return text;
}

// `count` pairs "1:L:" with one-letter labels a, b, c, ... in turn: four bytes each. Equal
// counts list the pair standing latest first, so the pairs kept come out in reverse.
std::string singleCountPairs(int count, const char* separator, bool reversed) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    const int n = reversed ? count - 1 - i : i;
    text += "1:" + std::string(1, static_cast<char>('a' + n % 26)) + separator;
  }
  return text;
}

Reply heldOpen(std::string text) {
  Reply reply{{std::move(text)}};
  reply.holdOpen = 6 * kRunLimit;  // a client that waited for the close would time out
  return reply;
}

TEST(Orvoquery, SendsOneBlockAndPrintsADefinedAnswerForEveryReply) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    Reply reply;
    std::string out;
    std::string query = {};  // the text of the block the daemon must have read
  };
  const Case cases[] = {
      {"code 1",
       {"1,", "-4,", "0,", "12"},
       {{"*none"}},
       "Sent: 1,-4,0,12\nReturned: *none\n",
       "1,-4,0,12"},
      {"default cube",
       {"3,", "5,6,7"},
       {{"*:none"}},
       "Sent: 3:5,5,6,7\nReturned:\nnone\n",
       "3:5,5,6,7"},
      {"the usage text's example",
       {"3:11,", "+5,006,-0"},
       {{"9:" + kVentricle + ":18:" + kCaudate + ":"}},
       "Sent: 3:11,5,6,0\nReturned:\n18:" + kCaudate + "\n9:" + kVentricle + "\n",
       "3:11,5,6,0"},
      {"three chunks",
       {"2, 6, 7, 8"},
       {{"Right Cerebrum,Sub", "-lobar,Caudate,Gray Ma", "tter,Caudate Body"}, milliseconds(20)},
       "Sent: 2,6,7,8\nReturned: " + kCaudate + "\n",
       "2,6,7,8"},
      {"held open after a NUL",
       {"1,1,2,3"},
       heldOpen(std::string("a,b\0trailing", 12)),
       "Sent: 1,1,2,3\nReturned: a,b\n"},
      {"held open, silent", {"1,1,2,3"}, heldOpen("a,b"), "Sent: 1,1,2,3\nReturned: a,b\n"},
      {"8192 bytes of fields, no NUL",
       {"2,6,7,8"},
       {{std::string(4096, 'a') + "," + std::string(4095, 'b')}},
       "Sent: 2,6,7,8\nReturned: " + std::string(4096, 'a') + "," + std::string(4094, 'b') + "\n"},
      {"4 MiB flood",
       {"2,6,7,8"},
       {{std::string(kFloodBytes, 'x')}},
       "Sent: 2,6,7,8\nReturned: " + std::string(protocol::kReplyLimit, 'x') + "\n"},
      // The kept 8191 bytes end inside pair 2048, which is not listed.
      {"3000 pairs",
       {"3:3,1,2,3"},
       {{singleCountPairs(3000, ":", false)}},
       "Sent: 3:3,1,2,3\nReturned:\n" + singleCountPairs(2047, "\n", true)},
      {"a NUL before more pairs",
       {"3:3,1,2,3"},
       {{std::string("5:a:") + '\0' + "9:b:7:c:"}},
       "Sent: 3:3,1,2,3\nReturned:\n5:a\n"},
      {"counts out of every range",
       {"3:3,1,2,3"},
       {{"65535:a:-1:b:-32769:c:99999999999:d:-99999999999:e:1e9:f:"}},
       "Sent: 3:3,1,2,3\nReturned:\n32767:c\n1:f\n0:e\n-1:d\n-1:b\n-1:a\n"},
  };
  for (const Case& c : cases) {
    ScriptedDaemon daemon({c.reply});
    const ProcessResult run = runVantrel(c.args);
    EXPECT_FALSE(run.timedOut) << c.name;
    EXPECT_EQ(run.out, c.out) << c.name;
    EXPECT_EQ(run.err, "") << c.name;
    EXPECT_EQ(run.exitStatus, 0) << c.name;
    if (!c.query.empty()) {
      EXPECT_EQ(daemon.finish(), std::vector<std::string>{requestBlock(c.query)}) << c.name;
    }
  }
}

TEST(Orvoquery, ReportsAFailedExchangeOnStandardError) {
  const std::string receiveFailure =
      "FAILURE: Unable to receive Orvo response, contact your network administrator.\n";
  ProcessResult run = runVantrel({"2,6,7,8"});
  EXPECT_EQ(run.err, "NOTICE: The Daemon is down right now, please try again later.\n");
  EXPECT_EQ(run.exitStatus, 255);
  {
    ScriptedDaemon closesWithoutAReply({Reply{}});
    run = runVantrel({"2,6,7,8"});
  }
  EXPECT_EQ(run.err, receiveFailure);
  EXPECT_EQ(run.exitStatus, 255);
  // attempts:0 makes the C library give up without asking any name server.
  run = kit::runProcess(VANTREL_UNRESOLVABLE_BINARY, {"2,6,7,8"}, {"RES_OPTIONS=attempts:0"},
                        kRunLimit);
  EXPECT_EQ(run.err,
            "ERROR: Cannot find no-such-host.invalid host, please contact your network "
            "administrator.\n");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.exitStatus, 255);
}

// The client sets no deadline of its own: it waits for as long as the daemon holds the
// connection, silently, until it is stopped.
TEST(Orvoquery, AReplyThatNeverComesIsWaitedForSilently) {
  ScriptedDaemon daemon({kit::silence()});
  const ProcessResult run = runVantrel({"2,6,7,8"}, milliseconds(1000));
  EXPECT_TRUE(run.timedOut);
  EXPECT_EQ(run.out + run.err, "");
}

// The launcher prints "nanoseconds peak-RSS-KiB exit-status" for Vantrel's run.
long peakRssKiBForReply(const std::string& reply) {
  ScriptedDaemon daemon({Reply{{reply}}});
  const ProcessResult run = kit::runProcess(
      VANTREL_RUN_MEASURED, {"/dev/null", VANTREL_BINARY, "2,6,7,8"}, {}, kRunLimit);
  long long nanoseconds = 0;
  long peakRssKiB = 0;
  int exitStatus = -1;
  std::istringstream(run.out) >> nanoseconds >> peakRssKiB >> exitStatus;
  EXPECT_EQ(exitStatus, 0);
  return peakRssKiB;
}

// The client keeps one buffer whatever the daemon sends, so a flood costs it no memory. Which
// pages of the shared libraries happen to be resident varies by a few hundred KiB from run to
// run; a client that kept the flood would grow by four times the margin.
TEST(Orvoquery, AFloodOfMegabytesCostsNoMoreMemoryThanAShortReply) {
  constexpr long kMarginKiB = 1024;
  const long shortReply = peakRssKiBForReply("a,b");
  const long flood = peakRssKiBForReply(std::string(kFloodBytes, 'x'));
  ASSERT_GT(shortReply, 0);
  EXPECT_LE(std::labs(flood - shortReply), kMarginKiB)
      << "short reply " << shortReply << " KiB, flood " << flood << " KiB";
}

}  // namespace
}  // namespace vantrel
