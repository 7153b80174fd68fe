// Tests of the shared exchange: the send loop, and the outcomes of a query with a deadline at a
// resolved loopback address.
#include "src/exchange/exchange.hpp"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "testkit/fake_daemon.hpp"

namespace vantrel::exchange {
namespace {

using kit::FakeDaemon;
using std::chrono::milliseconds;

// One send takes the whole block on loopback, so only a small buffer shows a
// loop that stops early; a peer that has gone away must not raise SIGPIPE.
TEST(SendWholeBlock, GetsThroughASmallBufferAndFailsQuietlyToAVanishedPeer) {
  int fds[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  const int small = 1024;
  setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  TextBuffer block;
  for (std::size_t i = 0; i < block.size(); ++i) {
    block[i] = static_cast<char>(i * 7);
  }
  std::string received;
  std::thread reader([&] {
    char piece[100];
    ssize_t got = 0;
    while (received.size() < block.size() && (got = read(fds[1], piece, sizeof piece)) > 0) {
      received.append(piece, static_cast<std::size_t>(got));
    }
  });
  EXPECT_TRUE(sendWholeBlock(fds[0], block));
  reader.join();
  EXPECT_EQ(received, std::string(block.data(), block.size()));
  close(fds[1]);
  EXPECT_FALSE(sendWholeBlock(fds[0], block));
  close(fds[0]);
}

TEST(ExchangeWith, ReportsEachOutcomeOfAQueryWithADeadline) {
  struct Case {
    const char* name;
    kit::Reply reply;
    Outcome expected;
    const char* answer;
  };
  const Case cases[] = {
      {"answered", kit::replyWith("a,b,c"), Outcome::kAnswered, "a,b,c"},
      {"closed without a reply", {}, Outcome::kReceiveFailed, ""},
      {"never answers", kit::silence(), Outcome::kTimedOut, ""},
  };
  for (const Case& c : cases) {
    std::string seen;
    FakeDaemon daemon([&](const std::string& request) {
      seen = kit::queryText(request);
      return c.reply;
    });
    sockaddr_in address{};
    ASSERT_TRUE(resolveDaemon("127.0.0.1", daemon.port(), address));
    TextBuffer query{'2', ',', '6', ',', '7', ',', '8'}, answer{};
    const auto started = Clock::now();
    const Outcome outcome = exchangeWith(address, query, answer, started + milliseconds(300));
    EXPECT_EQ(outcome, c.expected) << c.name;
    EXPECT_STREQ(answer.data(), c.answer) << c.name;
    EXPECT_LT(Clock::now() - started, milliseconds(1000)) << c.name;
    EXPECT_EQ(seen, "2,6,7,8") << c.name;
  }
}

}  // namespace
}  // namespace vantrel::exchange
