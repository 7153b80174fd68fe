// Tests of the send and receive loops over a local socket pair.
#include "exchange/exchange_io.hpp"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace vantrel::exchange {
namespace {

class SocketPair : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds_), 0); }
  void TearDown() override {
    closeEnd(fds_[0]);
    closeEnd(fds_[1]);
  }
  static void closeEnd(int& fd) {
    if (fd >= 0) {
      close(fd);
      fd = -1;
    }
  }
  void peerWrites(const std::string& bytes) {
    ASSERT_EQ(write(fds_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  int& ours() { return fds_[0]; }
  int& peer() { return fds_[1]; }

 private:
  int fds_[2] = {-1, -1};
};

TEST_F(SocketPair, SendToAPeerThatHasGoneAwayFailsWithoutASignal) {
  closeEnd(peer());
  TextBuffer block{};
  EXPECT_FALSE(sendWholeBlock(ours(), block));
}

TEST_F(SocketPair, SendDeliversTheWholeBlockThroughASmallSocketBuffer) {
  const int small = 1024;
  setsockopt(ours(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  TextBuffer block;
  for (std::size_t i = 0; i < block.size(); ++i) {
    block[i] = static_cast<char>(i * 7);
  }
  std::string received;
  std::thread reader([&] {
    char piece[100];
    ssize_t got = 0;
    while (received.size() < block.size() && (got = read(peer(), piece, sizeof piece)) > 0) {
      received.append(piece, static_cast<std::size_t>(got));
    }
  });
  EXPECT_TRUE(sendWholeBlock(ours(), block));
  reader.join();
  EXPECT_EQ(received, std::string(block.data(), block.size()));
}

TEST_F(SocketPair, ReceiveReadsEverythingUpToTheClose) {
  peerWrites("abc");
  peerWrites("def");
  closeEnd(peer());
  TextBuffer answer;
  answer.fill('Z');
  EXPECT_EQ(receiveReply(ours(), answer), 6);
  EXPECT_STREQ(answer.data(), "abcdef");
}

// The peer stays open in both cases: only the NUL or the grace period ends them.
TEST_F(SocketPair, ReceiveStopsAtANulOrWhenAnOpenPeerFallsSilent) {
  peerWrites(std::string("ab\0cd", 5));
  TextBuffer answer{};
  EXPECT_EQ(receiveReply(ours(), answer), 5);
  EXPECT_STREQ(answer.data(), "ab");

  peerWrites("xyz");
  answer.fill('\0');
  EXPECT_EQ(receiveReply(ours(), answer), 3);
  EXPECT_STREQ(answer.data(), "xyz");
}

}  // namespace
}  // namespace vantrel::exchange
