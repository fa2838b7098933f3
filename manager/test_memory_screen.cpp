#include "test_memory_screen.h"

namespace halvex {

void MemoryScreen::Put(int row, int column, unsigned char c, int foreground, int background) {
  cells_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)] = {c, foreground,
                                                                                    background};
}

void MemoryScreen::ScrollUp(int background) {
  scrolledOff.push_back(Row(1));
  for (std::size_t r = 0; r + 1 < cells_.size(); ++r) cells_[r] = cells_[r + 1];
  cells_.back().fill(Cell{' ', 7, background});
  ++scrolls;
}

void MemoryScreen::ClearAll(int background) {
  firstRowsCleared.push_back(Row(1));
  screensCleared.push_back(Rows());
  for (auto& row : cells_) row.fill(Cell{' ', 7, background});
  ++clears;
}

std::optional<InputEvent> MemoryScreen::PollEvent(int) {
  if (events_.empty() || (holdEvents && holdEvents())) return std::nullopt;
  InputEvent e = events_.front();
  events_.pop_front();
  return e;
}

std::optional<InputEvent> MemoryScreen::NextEvent() {
  if (events_.empty()) {
    if (onInputEnd) onInputEnd();
    return std::nullopt;
  }
  InputEvent e = events_.front();
  events_.pop_front();
  return e;
}

void MemoryScreen::Type(const std::string& text) {
  for (char c : text) events_.push_back(InputEvent::Key(c == '\n' ? kEnter : static_cast<unsigned char>(c)));
}

std::string MemoryScreen::Row(int row) const {
  std::string text;
  for (const Cell& cell : cells_[static_cast<std::size_t>(row - 1)]) text += static_cast<char>(cell.c);
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::vector<std::string> MemoryScreen::Rows() const {
  std::vector<std::string> rows;
  for (int r = 1; r <= kScreenRows; ++r) rows.push_back(Row(r));
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  return rows;
}

}  // namespace halvex
