// The real Vantrel binary against a daemon that misbehaves: floods, drips, stray NULs, counts
// out of every range, more pairs than fit, and silence. Each run must end with a defined
// output and status, and without memory that grows with the reply.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
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
constexpr std::size_t kKeptReply = protocol::kReplyLimit;
constexpr std::size_t kFloodBytes = 4 << 20;

ProcessResult runVantrel(const std::vector<std::string>& args, milliseconds limit = kRunLimit) {
  return kit::runProcess(VANTREL_BINARY, args, {}, limit);
}

// `count` pairs "1:L:" with one-letter labels a, b, c, ... in turn: four bytes each.
std::string singleCountPairs(int count) {
  std::string reply;
  for (int i = 0; i < count; ++i) {
    reply += "1:" + std::string(1, static_cast<char>('a' + i % 26)) + ":";
  }
  return reply;
}

// Equal counts list the pair standing latest first, so the pairs kept come out in reverse.
std::string reversedListing(int kept) {
  std::string listing;
  for (int i = kept - 1; i >= 0; --i) {
    listing += "1:" + std::string(1, static_cast<char>('a' + i % 26)) + "\n";
  }
  return listing;
}

std::vector<std::string> bytesOneByOne(const std::string& text) {
  std::vector<std::string> bytes;
  for (const char c : text) {
    bytes.emplace_back(1, c);
  }
  return bytes;
}

TEST(HostileDaemon, EveryMisbehavingReplyEndsInADefinedPrintout) {
  const std::string caudate = "Right Cerebrum,Sub-lobar,Caudate,Gray Ma";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    Reply step;
    std::string out;
  };
  const Case cases[] = {
      {"8192 bytes of fields, no NUL",
       {"2,6,7,8"},
       {{std::string(4096, 'a') + "," + std::string(4095, 'b')}},
       "Sent: 2,6,7,8\nReturned: " + std::string(4096, 'a') + "," + std::string(4094, 'b') + "\n"},
      {"4 MiB flood",
       {"2,6,7,8"},
       {{std::string(kFloodBytes, 'x')}},
       "Sent: 2,6,7,8\nReturned: " + std::string(kKeptReply, 'x') + "\n"},
      // The kept 8191 bytes end inside pair 2048, which is not listed.
      {"3000 pairs",
       {"3:3,1,2,3"},
       {{singleCountPairs(3000)}},
       "Sent: 3:3,1,2,3\nReturned:\n" + reversedListing(2047)},
      {"a byte every millisecond",
       {"2,6,7,8"},
       {bytesOneByOne(caudate), milliseconds(1)},
       "Sent: 2,6,7,8\nReturned: " + caudate + "\n"},
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
    ScriptedDaemon daemon({c.step});
    const ProcessResult run = runVantrel(c.args);
    EXPECT_FALSE(run.timedOut) << c.name;
    EXPECT_EQ(run.out, c.out) << c.name;
    EXPECT_EQ(run.err, "") << c.name;
    EXPECT_EQ(run.exitStatus, 0) << c.name;
  }
}

// The client sets no deadline of its own: it waits for as long as the daemon holds the
// connection, silently, until it is stopped.
TEST(HostileDaemon, AReplyThatNeverComesIsWaitedForSilently) {
  Reply silent;
  silent.holdOpen = kRunLimit;
  ScriptedDaemon daemon({silent});
  const ProcessResult run = runVantrel({"2,6,7,8"}, milliseconds(1000));
  EXPECT_TRUE(run.timedOut);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
}

struct Measured {
  long peakRssKiB = 0;
  int exitStatus = -1;
};

// The launcher prints "nanoseconds peak-RSS-KiB exit-status" for Vantrel's run.
Measured measuredVantrel(const std::string& reply) {
  ScriptedDaemon daemon({Reply{{reply}}});
  const ProcessResult run = kit::runProcess(
      VANTREL_RUN_MEASURED, {"/dev/null", VANTREL_BINARY, "2,6,7,8"}, {}, kRunLimit);
  Measured measured;
  long long nanoseconds = 0;
  std::istringstream(run.out) >> nanoseconds >> measured.peakRssKiB >> measured.exitStatus;
  return measured;
}

// The client keeps one buffer whatever the daemon sends, so a flood costs it no memory. Which
// pages of the shared libraries happen to be resident varies by a few hundred KiB from run to
// run; a client that kept the flood would grow by four times the margin.
TEST(HostileDaemon, AFloodOfMegabytesCostsNoMoreMemoryThanAShortReply) {
  constexpr long kMarginKiB = 1024;
  const Measured shortReply = measuredVantrel("a,b");
  const Measured flood = measuredVantrel(std::string(kFloodBytes, 'x'));
  ASSERT_EQ(shortReply.exitStatus, 0);
  ASSERT_EQ(flood.exitStatus, 0);
  ASSERT_GT(shortReply.peakRssKiB, 0);
  EXPECT_LE(std::labs(flood.peakRssKiB - shortReply.peakRssKiB), kMarginKiB)
      << "short reply " << shortReply.peakRssKiB << " KiB, flood " << flood.peakRssKiB << " KiB";
}

}  // namespace
}  // namespace vantrel
