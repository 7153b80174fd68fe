// Tests of the ordered pool: delivery in input order whatever order the work finishes in.
#include "batch/ordered_pool.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vantrel::batch {
namespace {

using std::chrono::milliseconds;

// Early items take longest, so with several workers they finish last.
TEST(RunInOrder, DeliversEveryItemOnceInInputOrderWhateverTheJobs) {
  for (const unsigned jobs : {1U, 3U, 8U, 64U}) {
    constexpr std::size_t kItems = 40;
    std::vector<std::size_t> delivered;
    std::atomic<std::size_t> running{0};
    OrderedRun run;
    run.count = kItems;
    run.jobs = jobs;
    run.work = [&](std::size_t i) {
      EXPECT_LE(++running, jobs);
      std::this_thread::sleep_for(milliseconds((kItems - i) % 7));
      --running;
    };
    run.deliver = [&](std::size_t i) { delivered.push_back(i); };
    runInOrder(run);
    ASSERT_EQ(delivered.size(), kItems) << jobs;
    for (std::size_t i = 0; i < kItems; ++i) {
      EXPECT_EQ(delivered[i], i) << jobs;
    }
  }
}

TEST(RunInOrder, AFailingItemIsRaisedInItsTurnAfterTheItemsBeforeIt) {
  std::vector<std::size_t> delivered;
  OrderedRun run;
  run.count = 10;
  run.jobs = 4;
  run.work = [](std::size_t i) {
    if (i == 5) {
      throw std::runtime_error("item 5");
    }
  };
  run.deliver = [&](std::size_t i) { delivered.push_back(i); };
  EXPECT_THROW(runInOrder(run), std::runtime_error);
  EXPECT_EQ(delivered, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
}

// Item 0 holds delivery back (for 30 s at most) until the caller has reported the other two as
// done, so the report can only come while the item it waits for is outstanding.
TEST(RunInOrder, ReportsProgressWhileTheNextItemIsOutstanding) {
  std::atomic<bool> othersReported{false};
  OrderedRun run;
  run.count = 3;
  run.jobs = 3;
  run.tick = milliseconds(10);
  run.work = [&](std::size_t i) {
    for (int waited = 0; i == 0 && !othersReported && waited < 30000; ++waited) {
      std::this_thread::sleep_for(milliseconds(1));
    }
  };
  run.deliver = [](std::size_t) {};
  run.progress = [&](std::size_t done) { othersReported = othersReported || done == 2; };
  runInOrder(run);
  EXPECT_TRUE(othersReported);
}

}  // namespace
}  // namespace vantrel::batch
