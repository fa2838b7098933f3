// The progress line shared by the file transfers and the flashing display:
// 50 cells redrawn in place with a carriage return, never ended by itself.
//
//   "\r [" + 50 cells + "] - <done> (<done/1024>K)"
//
// Cell i shows "oOo."[i % 4] while i <= fill, a blank after that, where
// fill = done * 50 / total.  A total of 0 draws a full line.  A line whose
// fill did not change is skipped, at most twice in a row; a count of 0
// always draws and starts a new line.
#pragma once

#include <cstdint>
#include <string>

namespace velkor {

inline constexpr int kProgressCells = 50;

// The line as one run draws it: its total and what the redraw rule
// remembers of the last drawing.
class Progress {
 public:
  // The byte count that fills the whole line; set before the first draw.
  void SetTotal(std::uint32_t total) { total_ = total; }
  // Draws the line for `done` bytes on standard output (unless the redraw
  // rule skips it) and flushes.
  void ShowProgress(std::uint32_t done);

 private:
  std::uint32_t total_ = 0;
  std::int64_t lastFill_ = -1;  // -1: nothing drawn since the last reset
  std::uint32_t skips_ = 0;     // calls in a row that drew nothing
};

// The text one drawing consists of, for tests and for ShowProgress.
std::string ProgressLine(std::uint32_t done, std::uint32_t total);

}  // namespace velkor
