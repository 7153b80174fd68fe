// Tests of the built daemon on loopback: the exchange, malformed, silent and stalled clients,
// a thousand idle connections, the deadline and shutdown.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <memory>
#include <thread>
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

std::vector<std::string> arguments(const char* timeoutSeconds) {
  return {"--port", "0", "--data", ATLAS_TEST_DATA_DIR, "--timeout", timeoutSeconds};
}

// One daemon for the suite. Its deadline is far longer than a client's 10 s wait, so a query
// answered at all was not held up behind a stalled client.
class RunningDaemon : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (atlas::fixture::atlasesInstalled()) {
      daemon_ = std::make_unique<DaemonProcess>(ORVOD_BINARY, arguments("60"));
    }
  }
  static void TearDownTestSuite() { daemon_.reset(); }
  void SetUp() override {
    ATLAS_SKIP_WITHOUT_DATA();
    ASSERT_TRUE(daemon_->ready()) << "no readiness line, got: " << daemon_->readinessLine();
  }
  static std::uint16_t port() { return daemon_->port(); }

  static std::unique_ptr<DaemonProcess> daemon_;
};

std::unique_ptr<DaemonProcess> RunningDaemon::daemon_;

TEST_F(RunningDaemon, AnswersTheBlockAShortRequestAndARequestCutShortByClose) {
  EXPECT_EQ(queryBlock(port(), "2,6,7,8"), kCaudate);
  ClientSocket waiting(port()), closing(port());
  ASSERT_TRUE(waiting.send("2,6,7,8\0"s) && closing.send("2,6,7,8"));
  closing.shutdownSending();
  EXPECT_EQ(waiting.receiveAll(), kCaudate);
  EXPECT_EQ(closing.receiveAll(), kCaudate);
}

TEST_F(RunningDaemon, AnswersMalformedRequestsWithAStarMessage) {
  for (const std::string& request :
       {"9,1,2,3"s, "2,1,2"s, "2,1,2,3junk"s, "2,99999999999,0,0"s, std::string(8192, '7')}) {
    const std::string reply = queryBlock(port(), request);
    EXPECT_TRUE(reply.starts_with("* ")) << request.substr(0, 20) << ": " << reply;
  }
  ClientSocket empty(port());
  empty.shutdownSending();
  EXPECT_TRUE(empty.receiveAll().starts_with("* "));
}

TEST_F(RunningDaemon, AnswersOthersWhileOneClientIsSilentAndAnotherStalls) {
  ClientSocket silent(port()), stalled(port());
  ASSERT_TRUE(silent.connected() && stalled.send("2,6,"));
  EXPECT_EQ(queryBlock(port(), "2,6,7,8"), kCaudate);
  EXPECT_EQ(queryBlock(port(), "1,6,7,8"), "Right,Nucleus,Caudate,N_Caudate-5");
}

std::size_t openDescriptors(pid_t pid) {
  std::error_code ec;
  std::filesystem::directory_iterator it("/proc/" + std::to_string(pid) + "/fd", ec);
  return ec ? 0 : static_cast<std::size_t>(std::distance(it, {}));
}

// Each idle client has begun its request, so the daemon itself holds all thousand connections.
TEST_F(RunningDaemon, AnswersWhileAThousandClientsIdle) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
  std::vector<ClientSocket> idle;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(idle.emplace_back(port()).send("2,")) << "connection " << i;
  }
  const auto patience = std::chrono::steady_clock::now() + 10s;
  while (openDescriptors(daemon_->pid()) < 1000 && std::chrono::steady_clock::now() < patience) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_GE(openDescriptors(daemon_->pid()), 1000U);
  EXPECT_EQ(queryBlock(port(), "2,6,7,8"), kCaudate);
}

TEST(DaemonDeadline, DropsSilentAndStalledClientsWithAMessage) {
  ATLAS_SKIP_WITHOUT_DATA();
  DaemonProcess daemon(ORVOD_BINARY, arguments("0.3"));
  ASSERT_TRUE(daemon.ready()) << daemon.readinessLine();
  ClientSocket silent(daemon.port()), stalled(daemon.port());
  ASSERT_TRUE(stalled.send("2,6,"));
  EXPECT_TRUE(silent.receiveAll().starts_with("* "));
  EXPECT_TRUE(stalled.receiveAll().starts_with("* "));
}

TEST(DaemonShutdown, ExitsCleanlyOnSigtermAndSigintWithAClientConnected) {
  ATLAS_SKIP_WITHOUT_DATA();
  for (const int signal : {SIGTERM, SIGINT}) {
    DaemonProcess daemon(ORVOD_BINARY, arguments("60"));
    ASSERT_TRUE(daemon.ready()) << daemon.readinessLine();
    ClientSocket stalled(daemon.port());
    ASSERT_TRUE(stalled.send("2,"));
    EXPECT_EQ(queryBlock(daemon.port(), "2,6,7,8"), kCaudate);
    EXPECT_EQ(daemon.stop(signal), 0) << "signal " << signal;
  }
}

}  // namespace
}  // namespace orvod
