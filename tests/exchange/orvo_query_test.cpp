// The real Vantrel binary against a fake daemon: the block it sends, its printout of each kind of
// reply, from the ordinary to a flood or a connection held open, and its failure messages.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "src/protocol/protocol.hpp"
#include "testkit/fake_daemon.hpp"
#include "testkit/process.hpp"

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

ProcessResult runVantrel(const std::vector<std::string>& args) {
  return kit::runProcess(VANTREL_BINARY, args, {}, kRunLimit);
}

// The daemon must have read one block of the text that Vantrel says it sent.
TEST(Orvoquery, SendsOneBlockAndPrintsADefinedAnswerForEveryReply) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    Reply reply;
    std::string out;
  };
  const Case cases[] = {
      {"default cube", {"3,", "5,6,7"}, {{"*:none"}}, "Sent: 3:5,5,6,7\nReturned:\nnone\n"},
      {"the usage text's example",
       {"3:11,", "+5,006,-0"},
       {{"9:" + kVentricle + ":18:" + kCaudate + ":"}},
       "Sent: 3:11,5,6,0\nReturned:\n18:" + kCaudate + "\n9:" + kVentricle + "\n"},
      {"three chunks",
       {"2, 6, 7, 8"},
       {{"Right Cerebrum,Sub", "-lobar,Caudate,Gray Ma", "tter,Caudate Body"}, milliseconds(20)},
       "Sent: 2,6,7,8\nReturned: " + kCaudate + "\n"},
      // A client that waited for the close would time out.
      {"held open, silent",
       {"1,1,2,3"},
       {{"a,b"}, milliseconds(0), 6 * kRunLimit},
       "Sent: 1,1,2,3\nReturned: a,b\n"},
      {"4 MiB flood",
       {"2,6,7,8"},
       {{std::string(kFloodBytes, 'x')}},
       "Sent: 2,6,7,8\nReturned: " + std::string(protocol::kReplyLimit, 'x') + "\n"},
  };
  for (const Case& c : cases) {
    ScriptedDaemon daemon({c.reply});
    const ProcessResult run = runVantrel(c.args);
    EXPECT_EQ(run.out, c.out) << c.name;
    EXPECT_EQ(run.err, "") << c.name;
    EXPECT_EQ(run.exitStatus, 0) << c.name;
    if (c.reply.holdOpen.count() == 0) {  // else finish() would wait out the hold
      std::string sent = c.out.substr(6, c.out.find('\n') - 6);
      sent.resize(protocol::kBlockSize, '\0');
      EXPECT_EQ(daemon.finish(), std::vector<std::string>{sent}) << c.name;
    }
  }
}

TEST(Orvoquery, ReportsAFailedExchangeOnStandardError) {
  ProcessResult run = runVantrel({"2,6,7,8"});
  EXPECT_EQ(run.err, "NOTICE: The Daemon is down right now, please try again later.\n");
  EXPECT_EQ(run.exitStatus, 255);
  {
    ScriptedDaemon closesWithoutAReply({Reply{}});
    run = runVantrel({"2,6,7,8"});
  }
  EXPECT_EQ(run.err,
            "FAILURE: Unable to receive Orvo response, contact your network administrator.\n");
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

}  // namespace
}  // namespace vantrel
