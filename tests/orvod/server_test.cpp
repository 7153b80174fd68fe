// Tests of the built daemon on loopback: the exchange, malformed and stalled clients, many idle
// connections, deadlines and shutdown.
#include "orvod/server.hpp"

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "daemon_process.hpp"

namespace orvod {
namespace {

using testing::ClientSocket;
using testing::DaemonProcess;
using testing::queryBlock;
using namespace std::string_literals;
using namespace std::chrono_literals;

constexpr const char* kCaudate = "Right Cerebrum,Sub-lobar,Caudate,Gray Matter,Caudate_R";

bool atlasesInstalled() {
  return std::filesystem::exists(std::filesystem::path(ORVOD_TEST_DATA_DIR) / "aal.nii.gz");
}

std::vector<std::string> daemonArguments(const char* timeoutSeconds) {
  return {"--port", "0", "--data", ORVOD_TEST_DATA_DIR, "--timeout", timeoutSeconds};
}

// One daemon for the suite. Its deadline is far longer than any client's wait below, so a
// query answered in time was not held up behind a stalled client.
class RunningDaemon : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (atlasesInstalled()) {
      daemon_ = std::make_unique<DaemonProcess>(daemonArguments("60"));
    }
  }
  static void TearDownTestSuite() { daemon_.reset(); }

  void SetUp() override {
    if (!atlasesInstalled()) {
      GTEST_SKIP() << ORVOD_TEST_DATA_DIR << " is missing";
    }
    ASSERT_TRUE(daemon_->ready()) << "no readiness line, got: " << daemon_->readinessLine();
  }

  static std::uint16_t port() { return daemon_->port(); }

  static std::unique_ptr<DaemonProcess> daemon_;
};

std::unique_ptr<DaemonProcess> RunningDaemon::daemon_;

TEST_F(RunningDaemon, AnswersTheClientsBlockAndCloses) {
  EXPECT_EQ(queryBlock(port(), "2,6,7,8"), kCaudate);
  EXPECT_EQ(queryBlock(port(), "3:3,0,-60,-20").substr(0, 2), "9:");
}

TEST_F(RunningDaemon, AnswersARequestEndedByTheClientsClose) {
  ClientSocket client(port());
  ASSERT_TRUE(client.send("2,6,7,8"));
  client.shutdownSending();
  EXPECT_EQ(client.receiveAll(), kCaudate);
}

TEST_F(RunningDaemon, AnswersAShortNulTerminatedRequestWhileTheClientWaits) {
  ClientSocket client(port());
  ASSERT_TRUE(client.send("2,6,7,8\0"s));
  EXPECT_EQ(client.receiveAll(), kCaudate);
}

TEST_F(RunningDaemon, AnswersMalformedRequestsWithAStarMessage) {
  const std::string cases[] = {"9,1,2,3",
                               "2,1,2",
                               "3:4,1,2,3",
                               "2,1,2,3junk",
                               "2,99999999999,0,0",
                               std::string(8192, '7'),
                               std::string(8192, '\0')};
  for (const std::string& request : cases) {
    const std::string reply = queryBlock(port(), request);
    EXPECT_TRUE(reply.starts_with("* ")) << request.substr(0, 20) << ": " << reply;
    EXPECT_LT(reply.size(), 8192U);
  }
}

TEST_F(RunningDaemon, AnswersAClientThatClosesWithoutSending) {
  ClientSocket client(port());
  client.shutdownSending();
  EXPECT_TRUE(client.receiveAll().starts_with("* "));
}

TEST_F(RunningDaemon, AnswersOthersWhileOneClientIsSilentAndAnotherStalls) {
  ClientSocket silent(port());
  ClientSocket stalled(port());
  ASSERT_TRUE(silent.connected() && stalled.connected());
  ASSERT_TRUE(stalled.send("2,6,"));
  EXPECT_EQ(queryBlock(port(), "2,6,7,8"), kCaudate);
  EXPECT_EQ(queryBlock(port(), "1,6,7,8"), "Right,Nucleus,Caudate,N_Caudate-5");
}

std::size_t openDescriptors(pid_t pid) {
  const std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
  std::error_code ec;
  std::size_t count = 0;
  for (auto it = std::filesystem::directory_iterator(fds, ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    ++count;
  }
  return count;
}

// Each idle client has begun its request, so the daemon itself holds all thousand connections
// open, not just the kernel's accept queue.
TEST_F(RunningDaemon, AnswersWhileAThousandClientsIdle) {
  testing::raiseDescriptorLimit();
  std::vector<ClientSocket> idle;
  idle.reserve(1000);
  for (int i = 0; i < 1000; ++i) {
    idle.emplace_back(port());
    ASSERT_TRUE(idle.back().connected() && idle.back().send("2,")) << "connection " << i;
  }
  const auto patience = std::chrono::steady_clock::now() + 10s;
  while (openDescriptors(daemon_->pid()) < 1000 && std::chrono::steady_clock::now() < patience) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_GE(openDescriptors(daemon_->pid()), 1000U);
  EXPECT_EQ(queryBlock(port(), "2,6,7,8"), kCaudate);
}

TEST(DaemonDeadline, DropsASilentClientWithAMessage) {
  if (!atlasesInstalled()) {
    GTEST_SKIP() << ORVOD_TEST_DATA_DIR << " is missing";
  }
  DaemonProcess daemon(daemonArguments("0.3"));
  ASSERT_TRUE(daemon.ready()) << daemon.readinessLine();
  ClientSocket silent(daemon.port());
  ClientSocket stalled(daemon.port());
  ASSERT_TRUE(stalled.send("2,6,"));
  EXPECT_TRUE(silent.receiveAll().starts_with("* "));
  EXPECT_TRUE(stalled.receiveAll().starts_with("* "));
  EXPECT_EQ(queryBlock(daemon.port(), "2,6,7,8"), kCaudate);
}

TEST(DaemonShutdown, ExitsCleanlyOnSigtermAndSigintWithClientsConnected) {
  if (!atlasesInstalled()) {
    GTEST_SKIP() << ORVOD_TEST_DATA_DIR << " is missing";
  }
  for (const int signal : {SIGTERM, SIGINT}) {
    DaemonProcess daemon(daemonArguments("60"));
    ASSERT_TRUE(daemon.ready()) << daemon.readinessLine();
    ClientSocket idle(daemon.port());
    EXPECT_EQ(queryBlock(daemon.port(), "2,6,7,8"), kCaudate);
    EXPECT_EQ(daemon.stop(signal), 0) << "signal " << signal;
  }
}

}  // namespace
}  // namespace orvod
