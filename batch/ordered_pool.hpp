// Running work items on several threads while handing the results over in input order.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

namespace vantrel::batch {

struct OrderedRun {
  std::size_t count = 0;
  unsigned jobs = 1;
  // Runs on a worker thread; items may finish in any order.
  std::function<void(std::size_t)> work;
  // Runs on the calling thread, item 0 first, each as soon as it and every
  // item before it are done.
  std::function<void(std::size_t)> deliver;
  // Runs on the calling thread with the number of items done so far, at most
  // once per tick while it waits.
  std::function<void(std::size_t)> progress;
  std::chrono::milliseconds tick{100};
};

// Returns once every item has been delivered. An exception thrown by `work`
// leaves here when its item's turn to be delivered comes; the workers are
// stopped and joined on the way out, as they are when `deliver` throws.
void runInOrder(const OrderedRun& run);

}  // namespace vantrel::batch
