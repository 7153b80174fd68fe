// The ordered pool: workers take items by index, the caller delivers them in sequence.
#include "batch/ordered_pool.hpp"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace vantrel::batch {

namespace {

struct Shared {
  std::mutex mutex;
  std::condition_variable finished;
  std::vector<bool> done;
  std::vector<std::exception_ptr> failures;
  std::size_t doneCount = 0;
  std::size_t awaited = 0;  // the item the caller waits for; only its end wakes it
  std::atomic<std::size_t> next{0};
  std::atomic<bool> abandon{false};
};

void workLoop(const OrderedRun& run, Shared& shared) {
  for (std::size_t item = shared.next++; item < run.count && !shared.abandon;
       item = shared.next++) {
    std::exception_ptr failure;
    try {
      run.work(item);
    } catch (...) {
      failure = std::current_exception();
    }
    bool awaited = false;
    {
      const std::lock_guard<std::mutex> lock(shared.mutex);
      shared.done[item] = true;
      shared.failures[item] = failure;
      ++shared.doneCount;
      awaited = item == shared.awaited;
    }
    if (awaited) {
      shared.finished.notify_one();
    }
  }
}

// Joins the workers however delivery ends, so no thread outlives the run.
struct Workers {
  std::vector<std::thread> threads;
  Shared& shared;
  ~Workers() {
    shared.abandon = true;
    for (std::thread& thread : threads) {
      thread.join();
    }
  }
};

}  // namespace

void runInOrder(const OrderedRun& run) {
  Shared shared;
  shared.done.assign(run.count, false);
  shared.failures.assign(run.count, nullptr);
  Workers workers{{}, shared};
  const unsigned threads =
      static_cast<unsigned>(std::min<std::size_t>(std::max(1U, run.jobs), run.count));
  for (unsigned i = 0; i < threads; ++i) {
    workers.threads.emplace_back([&run, &shared] { workLoop(run, shared); });
  }
  auto lastProgress = std::chrono::steady_clock::now();
  for (std::size_t item = 0; item < run.count; ++item) {
    std::unique_lock<std::mutex> lock(shared.mutex);
    shared.awaited = item;
    while (!shared.done[item]) {
      shared.finished.wait_for(lock, run.tick);
      const auto now = std::chrono::steady_clock::now();
      if (!run.progress || now - lastProgress < run.tick) {
        continue;
      }
      lastProgress = now;
      const std::size_t doneCount = shared.doneCount;
      lock.unlock();
      run.progress(doneCount);
      lock.lock();
    }
    const std::exception_ptr failure = shared.failures[item];
    lock.unlock();
    if (failure) {
      std::rethrow_exception(failure);
    }
    run.deliver(item);
  }
}

}  // namespace vantrel::batch
