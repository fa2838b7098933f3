#include "console.h"

#include <algorithm>
#include <vector>

namespace halvex {

void Console::Clear() {
  device_.ClearAll(background_);
  row_ = 1;
  column_ = 1;
  pendingWrap_ = false;
  Show();
}

void Console::MoveTo(int row, int column) {
  row_ = std::clamp(row, 1, kScreenRows);
  column_ = std::clamp(column, 1, kScreenColumns);
  pendingWrap_ = false;
  Show();
}

void Console::LineEnd() {
  pendingWrap_ = false;
  column_ = 1;
  if (row_ < kScreenRows) {
    ++row_;
  } else {
    device_.ScrollUp(background_);
    ++scrolls_;
  }
}

void Console::Print(std::string_view text) {
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\n') {
      LineEnd();
      continue;
    }
    if (c == '\r') {
      column_ = 1;
      pendingWrap_ = false;
      continue;
    }
    if (c < 32 || c == 127) c = '?';
    if (pendingWrap_) LineEnd();
    device_.Put(row_, column_, c, foreground_, background_);
    if (column_ == kScreenColumns) {
      pendingWrap_ = true;
    } else {
      ++column_;
    }
  }
  Show();
}

void Console::Show() {
  device_.PlaceCursor(row_, column_);
  if (holds_ == 0) device_.Present();
}

std::string Console::ReadLine() {
  struct Echo {
    int row;
    int column;
    bool pendingWrap;
    long scrolls;
  };
  std::string line;
  std::vector<Echo> echoes;
  for (;;) {
    InputEvent e = WaitEvent();
    if (e.type != InputEvent::Type::kKey || e.character == 0) continue;
    if (e.character == kEnter || e.character == '\n') return line;
    if (e.character == kBackspace || e.character == 127) {
      if (line.empty()) continue;
      line.pop_back();
      Echo at = echoes.back();
      echoes.pop_back();
      int row = at.row - static_cast<int>(scrolls_ - at.scrolls);
      if (row < 1) continue;  // scrolled off the top: nothing left to erase
      row_ = row;
      column_ = at.column;
      pendingWrap_ = false;
      device_.Put(row_, column_, ' ', foreground_, background_);
      pendingWrap_ = at.pendingWrap;
      Show();
      continue;
    }
    if (e.character < 32) continue;
    // The cell the character lands in, after any pending wrap.
    if (pendingWrap_) LineEnd();
    echoes.push_back({row_, column_, false, scrolls_});
    line += static_cast<char>(e.character);
    Print(std::string(1, static_cast<char>(e.character)));
  }
}

InputEvent Console::WaitEvent() {
  Show();
  std::optional<InputEvent> e = device_.NextEvent();
  if (!e) throw InputClosed();
  return *e;
}

}  // namespace halvex
