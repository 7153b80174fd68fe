// The built daemon against clients that misbehave: garbage, oversized requests, resets halfway,
// and clients that never read. After each kind the daemon must still answer an ordinary client
// within a second, and a few hundred such clients must not raise its memory for good.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "atlas/atlas_fixture.hpp"
#include "kit/daemon_process.hpp"
#include "kit/loopback.hpp"

namespace orvod {
namespace {

using vantrel::kit::ClientSocket;
using vantrel::kit::DaemonProcess;
using vantrel::kit::queryBlock;
using namespace std::string_literals;
using namespace std::chrono_literals;

constexpr const char* kCaudate = "Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate_R";
constexpr std::size_t kBlock = 8192;
constexpr std::size_t kMebibyte = 1 << 20;

// "VmHWM:" of /proc/PID/status, the process's peak resident memory; 0 when unreadable.
long peakRssKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string field;
  long kib = 0;
  while (status >> field) {
    if (field == "VmHWM:") {
      status >> kib;
      return kib;
    }
  }
  return 0;
}

std::string block(std::string text) {
  text.resize(kBlock, '\0');
  return text;
}

// Bytes of every value, NULs included, the same on every run.
std::string garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    c = static_cast<char>(random() & 0xFF);
  }
  return bytes;
}

// What one hostile client does; the sockets it returns stay open until the daemon has been
// seen answering someone else.
using HostileClient = std::function<std::vector<ClientSocket>(std::uint16_t port, int index)>;

struct HostileCase {
  const char* name;
  int clients;
  HostileClient act;
};

std::vector<ClientSocket> none() {
  return {};
}

const HostileCase kCases[] = {
    {"garbage bytes, then end of sending", 60,
     [](std::uint16_t port, int index) {
       ClientSocket client(port);
       EXPECT_TRUE(client.send(
           garbage(100 + static_cast<std::size_t>(index) * 97, static_cast<unsigned>(index))));
       client.shutdownSending();
       const std::string reply = client.receiveAll();
       EXPECT_TRUE(reply.starts_with("* ")) << "client " << index << ": " << reply;
       return none();
     }},
    {"a mebibyte of request without a NUL", 20,
     [](std::uint16_t port, int index) {
       ClientSocket client(port);
       // The daemon answers the first block and swallows the rest, so the refusal arrives.
       EXPECT_TRUE(client.send(std::string(kMebibyte, '7')));
       const std::string reply = client.receiveAll();
       EXPECT_EQ(reply, "* Request has no NUL within 8192 bytes") << "client " << index;
       return none();
     }},
    {"a reset halfway through the request", 60,
     [](std::uint16_t port, int) {
       ClientSocket client(port);
       EXPECT_TRUE(client.send("3:11,6,"));
       client.reset();
       return none();
     }},
    {"a reset after the request, before the reply", 60,
     [](std::uint16_t port, int index) {
       ClientSocket client(port);
       EXPECT_TRUE(client.send(block("3:11," + std::to_string(index % 40 - 20) + ",-20,5")));
       client.reset();
       return none();
     }},
    // The smallest receive window the system allows, and the largest Code 3 cubes: the replies
    // wait in the kernel, and the daemon must not wait with them.
    {"a client that never reads its reply", 100,
     [](std::uint16_t port, int index) {
       std::vector<ClientSocket> kept;
       ClientSocket& client = kept.emplace_back(port, vantrel::kit::SocketOptions{10s, 1});
       EXPECT_TRUE(client.send(block("3:11," + std::to_string(index % 60 - 30) + ",-20,5")));
       return kept;
     }},
};

TEST(HostileClients, NeitherStopTheDaemonNorSlowOthersNorGrowItsMemory) {
  ATLAS_SKIP_WITHOUT_DATA();
  DaemonProcess daemon(ORVOD_BINARY,
                       {"--port", "0", "--data", ATLAS_TEST_DATA_DIR, "--timeout", "60"});
  ASSERT_TRUE(daemon.ready()) << daemon.readinessLine();
  const std::uint16_t port = daemon.port();
  ASSERT_EQ(queryBlock(port, "3:11,6,7,8"), queryBlock(port, "3:11,6,7,8"));
  const long before = peakRssKiB(daemon.pid());
  ASSERT_GT(before, 0);

  for (const HostileCase& c : kCases) {
    std::vector<ClientSocket> held;
    for (int i = 0; i < c.clients; ++i) {
      for (ClientSocket& socket : c.act(port, i)) {
        held.push_back(std::move(socket));
      }
    }
    EXPECT_EQ(queryBlock(port, "2,6,7,8", 1s), kCaudate) << "after " << c.name;
  }

  // The clients above offered some 20 MiB; the daemon may keep no more than a block and a reply
  // of each, a few MiB in all, even with the sanitizers' quarantine.
  constexpr long kMarginKiB = 16L * 1024;
  const long after = peakRssKiB(daemon.pid());
  EXPECT_LE(after - before, kMarginKiB) << "before " << before << " KiB, after " << after << " KiB";
  EXPECT_EQ(daemon.stop(SIGTERM), 0);
}

}  // namespace
}  // namespace orvod
