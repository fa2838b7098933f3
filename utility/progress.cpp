#include "progress.h"

#include <cstdio>

namespace velkor {

namespace {

// Not capped at 50: a count beyond the total keeps its own fill, so the
// redraw rule sees it change.
std::uint64_t Fill(std::uint32_t done, std::uint32_t total) {
  if (total == 0) return kProgressCells;
  return static_cast<std::uint64_t>(done) * kProgressCells / total;
}

}  // namespace


std::string ProgressLine(std::uint32_t done, std::uint32_t total) {
  static constexpr char kPattern[] = "oOo.";
  std::uint64_t fill = Fill(done, total);
  std::string line = "\r [";
  for (int i = 0; i < kProgressCells; ++i) {
    line += static_cast<std::uint64_t>(i) <= fill ? kPattern[i % 4] : ' ';
  }
  char tail[48];
  std::snprintf(tail, sizeof tail, "] - %u (%uK)", static_cast<unsigned>(done),
                static_cast<unsigned>(done / 1024));
  line += tail;
  return line;
}

void Progress::ShowProgress(std::uint32_t done) {
  if (done == 0) {
    lastFill_ = -1;
    skips_ = 0;
  }
  auto fill = static_cast<std::int64_t>(Fill(done, total_));
  if (skips_ < 2 && fill == lastFill_) {
    ++skips_;
    return;
  }
  skips_ = 0;
  lastFill_ = fill;
  std::string line = ProgressLine(done, total_);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

}  // namespace velkor
