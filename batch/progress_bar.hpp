// A progress bar on standard error for long tables, drawn only on a terminal.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>

namespace vantrel::batch {

// Tables this short finish before a bar would be worth drawing.
inline constexpr std::size_t kProgressMinimumPoints = 100;

// True when `fd` is a terminal and the table is long enough for a bar.
bool progressWanted(int fd, std::size_t total);

class ProgressBar {
 public:
  ProgressBar(std::FILE* out, std::size_t total, bool enabled);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Redraws in place, at most ten times a second.
  void update(std::size_t done);
  // Wipes the bar, so that the summary line starts on a clean line.
  void clear();

 private:
  std::FILE* out_;
  std::size_t total_;
  bool enabled_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace vantrel::batch
