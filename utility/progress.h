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

// The byte count that fills the whole line; set before the first draw.
void SetProgressTotal(std::uint32_t total);

// Draws the line for `done` bytes on standard output (unless the redraw
// rule skips it) and flushes.
void ShowProgress(std::uint32_t done);

// The text one drawing consists of, for tests and for ShowProgress.
std::string ProgressLine(std::uint32_t done, std::uint32_t total);

}  // namespace velkor
