// orvod's Server in this process, with a stub answer and no atlases: the exchange, stalled,
// silent and hostile clients, a thousand idle connections, and the deadline.
#include "orvod/server.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "orvod/request.hpp"
#include "testkit/loopback.hpp"

namespace orvod {
namespace {

using vantrel::kit::ClientSocket;
using vantrel::kit::queryBlock;
using namespace std::string_literals;
using namespace std::chrono_literals;

// A reply per request shape; code 3 replies fill a block, as the largest cubes nearly do.
std::string stubAnswer(std::string_view bytes) {
  const ParsedRequest parsed = parseRequestBlock(bytes);
  if (!parsed.request) {
    return parsed.error;
  }
  if (parsed.request->code == vantrel::protocol::kCubeCode) {
    return std::string(vantrel::protocol::kReplyLimit, 'c');
  }
  return "answer " + std::to_string(parsed.request->x);
}

class ServedHere {
 public:
  explicit ServedHere(std::chrono::milliseconds timeout = 60s)
      : server_(ServerOptions{"127.0.0.1", 0, timeout, 2}, stubAnswer),
        runner_([this] { server_.run(); }) {}
  ~ServedHere() {
    server_.stop();
    runner_.join();
  }
  std::uint16_t port() const {
    const std::string endpoint = server_.endpoint();
    return static_cast<std::uint16_t>(std::stoi(endpoint.substr(endpoint.rfind(':') + 1)));
  }

 private:
  Server server_;
  std::thread runner_;
};

TEST(Server, AnswersARequestEndedByANulOrCutShortByClose) {
  ServedHere served;
  ClientSocket waiting(served.port()), closing(served.port()), empty(served.port());
  ASSERT_TRUE(waiting.send("2,6,7,8\0"s) && closing.send("2,6,7,8"));
  closing.shutdownSending();
  empty.shutdownSending();
  EXPECT_EQ(waiting.receiveAll(), "answer 6");
  EXPECT_EQ(closing.receiveAll(), "answer 6");
  EXPECT_TRUE(empty.receiveAll().starts_with("* "));
}

std::size_t openDescriptors() {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// Each idle client has begun its request and stalled, so the server holds all thousand
// connections.
TEST(Server, AnswersWhileAThousandClientsIdle) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
  ServedHere served;
  const std::size_t before = openDescriptors();
  std::vector<ClientSocket> idle;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(idle.emplace_back(served.port()).send("2,")) << "connection " << i;
  }
  const auto patience = std::chrono::steady_clock::now() + 10s;
  while (openDescriptors() < before + 2000 && std::chrono::steady_clock::now() < patience) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_GE(openDescriptors(), before + 2000);
  EXPECT_EQ(queryBlock(served.port(), "2,6,7,8"), "answer 6");
}

TEST(Server, DropsSilentAndStalledClientsWithAMessageAtTheDeadline) {
  ServedHere served(300ms);
  ClientSocket silent(served.port()), stalled(served.port());
  ASSERT_TRUE(stalled.send("2,6,"));
  EXPECT_EQ(silent.receiveAll(), "* No complete request within the time limit");
  EXPECT_EQ(stalled.receiveAll(), "* No complete request within the time limit");
}

std::string block(std::string text) {
  text.resize(vantrel::protocol::kBlockSize, '\0');
  return text;
}

// After each kind of misbehaving client the server still answers an ordinary one at once.
// The clients that never read keep the smallest receive window the system allows, so their
// replies wait in the kernel, and the server must not wait with them.
TEST(Server, HostileClientsNeitherStopItNorSlowOthers) {
  ServedHere served;
  const std::uint16_t port = served.port();
  std::vector<ClientSocket> neverRead;
  for (int i = 0; i < 100; ++i) {
    ClientSocket& client = neverRead.emplace_back(port, vantrel::kit::SocketOptions{10s, 1});
    EXPECT_TRUE(client.send(block("3:11,1,2,3")));
  }
  EXPECT_EQ(queryBlock(port, "2,6,7,8", 1s), "answer 6") << "after clients that never read";
  std::mt19937 random(1);  // bytes of every value, NULs included, the same on every run
  for (int i = 0; i < 60; ++i) {
    ClientSocket garbled(port), resetEarly(port), resetLate(port);
    std::string garbage(100 + static_cast<std::size_t>(i) * 97, '\0');
    std::generate(garbage.begin(), garbage.end(), [&] { return static_cast<char>(random()); });
    EXPECT_TRUE(garbled.send(garbage));
    garbled.shutdownSending();
    EXPECT_TRUE(garbled.receiveAll().starts_with("* ")) << "garbage " << i;
    EXPECT_TRUE(resetEarly.send("3:11,6,") && resetLate.send(block("3:11,6,7,8")));
    resetEarly.reset();
    resetLate.reset();
  }
  EXPECT_EQ(queryBlock(port, "2,6,7,8", 1s), "answer 6") << "after garbage and resets";
  // The server answers the first block and swallows the rest, so the refusal arrives.
  for (int i = 0; i < 20; ++i) {
    ClientSocket oversized(port);
    EXPECT_TRUE(oversized.send(std::string(1 << 20, '7')));
    EXPECT_EQ(oversized.receiveAll(), "* Request has no NUL within 8192 bytes");
  }
  EXPECT_EQ(queryBlock(port, "2,6,7,8", 1s), "answer 6") << "after oversized requests";
}

}  // namespace
}  // namespace orvod
