// Tests of the progress bar: what one drawing shows, and that it is not redrawn on every point.
#include "batch/progress_bar.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "testkit/written.hpp"

namespace vantrel::batch {
namespace {

std::string drawn(std::size_t total, std::size_t updates) {
  return kit::writtenBy([&](std::FILE* out) {
    ProgressBar bar(out, total, true);
    for (std::size_t done = 1; done <= updates; ++done) {
      bar.update(done);
    }
  });
}

TEST(ProgressBar, DrawsOnceForAQuickRunAndWipesItself) {
  const std::string text = drawn(4, 4);
  EXPECT_EQ(text, "\rvantrel-batch: [##########" + std::string(30, ' ') + "] 1/4\r" +
                      std::string(80, ' ') + "\r");
  // Ten thousand points in far less than the redraw interval: still one drawing.
  const std::string many = drawn(10000, 10000);
  EXPECT_EQ(many.find("vantrel-batch: ["), many.rfind("vantrel-batch: [")) << many.size();
}

// A bar is drawn only on a terminal, and only for more points than the minimum.
TEST(ProgressWanted, OnATerminalForMoreThanTheMinimumOfPoints) {
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  if (terminal < 0) {
    GTEST_SKIP() << "no pseudo-terminal here";
  }
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  EXPECT_FALSE(progressWanted(terminal, kProgressMinimumPoints));
  EXPECT_TRUE(progressWanted(terminal, kProgressMinimumPoints + 1));
  EXPECT_FALSE(progressWanted(pipeEnds[1], kProgressMinimumPoints + 1));
  close(terminal);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
}

}  // namespace
}  // namespace vantrel::batch
