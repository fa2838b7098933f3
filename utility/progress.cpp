#include "progress.h"

#include <cstdio>

namespace velkor {

namespace {

struct ProgressState {
  std::uint32_t total = 0;
  std::int64_t last_fill = -1;  // -1: nothing drawn since the last reset
  std::uint32_t skips = 0;      // calls in a row that drew nothing
};

ProgressState g_progress;

// Not capped at 50: a count beyond the total keeps its own fill, so the
// redraw rule sees it change.
std::uint64_t Fill(std::uint32_t done, std::uint32_t total) {
  if (total == 0) return kProgressCells;
  return static_cast<std::uint64_t>(done) * kProgressCells / total;
}

}  // namespace

void SetProgressTotal(std::uint32_t total) { g_progress.total = total; }

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

void ShowProgress(std::uint32_t done) {
  if (done == 0) {
    g_progress.last_fill = -1;
    g_progress.skips = 0;
  }
  auto fill = static_cast<std::int64_t>(Fill(done, g_progress.total));
  if (g_progress.skips < 2 && fill == g_progress.last_fill) {
    ++g_progress.skips;
    return;
  }
  g_progress.skips = 0;
  g_progress.last_fill = fill;
  std::string line = ProgressLine(done, g_progress.total);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

}  // namespace velkor
