// A console device in memory for the tests: the 115 by 45 grid of cells and
// a queue of scripted key and mouse events.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "console.h"

namespace halvex {

class MemoryScreen : public ScreenDevice {
 public:
  struct Cell {
    unsigned char c = ' ';
    int foreground = 7;
    int background = 0;
  };

  MemoryScreen() {
    for (auto& row : cells_) row.fill(Cell{});
  }

  void Put(int row, int column, unsigned char c, int foreground, int background) override;
  void ScrollUp(int background) override;
  void ClearAll(int background) override;
  void PlaceCursor(int row, int column) override {
    cursorRow = row;
    cursorColumn = column;
  }
  void Present() override { ++presents; }
  std::optional<InputEvent> NextEvent() override;
  // Scripted events come at once; an empty queue is no event (never the end).
  std::optional<InputEvent> PollEvent(int timeoutMs) override;
  void PassKeysToChild(bool on) override { keysToChild = on; }

  // Queues the characters of `text` as key events, and Enter for '\n'.
  void Type(const std::string& text);
  void Queue(const InputEvent& e) { events_.push_back(e); }

  // Row text without trailing spaces (1-based).
  std::string Row(int row) const;
  // Every row, trailing spaces removed, trailing empty rows dropped.
  std::vector<std::string> Rows() const;
  const Cell& At(int row, int column) const {
    return cells_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
  }

  int cursorRow = 1;
  int cursorColumn = 1;
  int scrolls = 0;
  int clears = 0;
  int presents = 0;
  bool keysToChild = false;
  // Row 1 as each clear found it, and the whole screen.
  std::vector<std::string> firstRowsCleared;
  std::vector<std::vector<std::string>> screensCleared;
  // Rows that scrolled off the top, oldest first.
  std::vector<std::string> scrolledOff;
  // While this says so, polling finds no event (a person waiting for a
  // prompt before typing).
  std::function<bool()> holdEvents;
  // Called when the scripted events run out, before input is reported closed.
  std::function<void()> onInputEnd;

 private:
  std::array<std::array<Cell, kScreenColumns>, kScreenRows> cells_;
  std::deque<InputEvent> events_;
};

}  // namespace halvex
