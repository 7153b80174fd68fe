// The progress bar: a carriage return and a fixed-width line, redrawn at a bounded rate.
#include "batch/progress_bar.hpp"

#include <unistd.h>

#include <algorithm>
#include <string>

namespace vantrel::batch {

namespace {

constexpr std::size_t kBarWidth = 40;
constexpr std::chrono::milliseconds kRedrawInterval{100};

}  // namespace

bool progressWanted(int fd, std::size_t total) {
  return total > kProgressMinimumPoints && isatty(fd) == 1;
}

ProgressBar::ProgressBar(std::FILE* out, std::size_t total, bool enabled)
    : out_(out), total_(total), enabled_(enabled && total > 0) {}

ProgressBar::~ProgressBar() {
  clear();
}

void ProgressBar::update(std::size_t done) {
  if (!enabled_) {
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDraw_ < kRedrawInterval) {
    return;
  }
  lastDraw_ = now;
  drawn_ = true;
  const std::size_t filled = std::min(done, total_) * kBarWidth / total_;
  const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, ' ');
  std::fprintf(out_, "\rvantrel-batch: [%s] %zu/%zu", bar.c_str(), done, total_);
  std::fflush(out_);
}

void ProgressBar::clear() {
  if (!drawn_) {
    return;
  }
  drawn_ = false;
  std::fprintf(out_, "\r%*s\r", static_cast<int>(kBarWidth + 40), "");
  std::fflush(out_);
}

}  // namespace vantrel::batch
