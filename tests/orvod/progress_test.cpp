// Tests of the judgements on socket-call results shared by the server's two paths.
#include "orvod/progress.hpp"

#include <gtest/gtest.h>

namespace orvod {
namespace {

TEST(SendOutcome, ASendThatWouldBlockIsPendingNotFailed) {
  struct Case {
    ssize_t sent;
    int error;
    SendOutcome expected;
  };
  const Case cases[] = {
      {10, 0, SendOutcome::kDone},
      {4, 0, SendOutcome::kPending},
      {0, 0, SendOutcome::kPending},
      {-1, EAGAIN, SendOutcome::kPending},
      {-1, EWOULDBLOCK, SendOutcome::kPending},
      {-1, EPIPE, SendOutcome::kFailed},
      {-1, ECONNRESET, SendOutcome::kFailed},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sendOutcome(c.sent, c.error, 10), c.expected) << c.sent << " errno " << c.error;
  }
}

TEST(RequestProgress, CompleteAtTheNulTheFullBlockOrTheClose) {
  const std::size_t block = vantrel::protocol::kBlockSize;
  struct Case {
    RequestProgress progress;
    bool complete;
    bool closable;
  };
  const Case cases[] = {
      {{5, false, false}, false, false},    {{5, true, false}, true, false},
      {{block, false, false}, true, false}, {{block, true, false}, true, true},
      {{5, false, true}, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.progress.complete(), c.complete) << c.progress.received;
    EXPECT_EQ(c.progress.closableAfterReply(), c.closable) << c.progress.received;
  }
}

}  // namespace
}  // namespace orvod
