// The manager's console: a 115 by 45 grid of cells in the 16 console
// colours, a text cursor, line input with echo and key and mouse events.
// The cells and events come from a ScreenDevice: the terminal on POSIX
// (terminal.h), an in-memory grid in the tests.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "input_event.h"

namespace halvex {

inline constexpr int kScreenRows = 45;
inline constexpr int kScreenColumns = 115;

// The console colours by number: 0 black, 1 blue, 2 green, 3 cyan, 4 red,
// 5 magenta, 6 brown, 7 light grey, 8 dark grey, 9 light blue, 10 light
// green, 11 light cyan, 12 light red, 13 light magenta, 14 yellow, 15 white.
namespace color {
inline constexpr int kBlack = 0;
inline constexpr int kGreen = 2;
inline constexpr int kCyan = 3;
inline constexpr int kRed = 4;
inline constexpr int kLightGrey = 7;
inline constexpr int kDarkGrey = 8;
inline constexpr int kLightBlue = 9;
inline constexpr int kLightGreen = 10;
inline constexpr int kLightCyan = 11;
inline constexpr int kLightRed = 12;
inline constexpr int kLightMagenta = 13;
inline constexpr int kYellow = 14;
}  // namespace color

class ScreenDevice {
 public:
  virtual ~ScreenDevice() = default;
  // Rows and columns are 1-based and always inside the grid.
  virtual void Put(int row, int column, unsigned char c, int foreground, int background) = 0;
  // Moves every row up by one; the bottom row becomes blank in `background`.
  virtual void ScrollUp(int background) = 0;
  virtual void ClearAll(int background) = 0;
  virtual void PlaceCursor(int row, int column) = 0;
  // Makes what was drawn visible.
  virtual void Present() = 0;
  // The next key or mouse event; blocks.  Nothing when input has ended.
  virtual std::optional<InputEvent> NextEvent() = 0;
  // The next event if one comes within `timeoutMs` (0: only one already
  // waiting); nothing otherwise.
  virtual std::optional<InputEvent> PollEvent(int timeoutMs) = 0;
  // While a child program shares the screen: keys such as Ctrl-C arrive as
  // plain keys, to be handed to the child, and the interrupt signals that
  // the keyboard can still raise leave the manager alone.
  virtual void PassKeysToChild(bool on) = 0;
};

// Thrown when the keyboard has gone (the terminal closed): nothing more can
// be asked, so the program ends.
class InputClosed : public std::runtime_error {
 public:
  InputClosed() : std::runtime_error("input closed") {}
};

class Console {
 public:
  explicit Console(ScreenDevice& device) : device_(device) {}

  // Blank screen in the current colours, cursor at row 1, column 1.
  void Clear();
  void MoveTo(int row, int column);
  void SetColor(int foreground) { foreground_ = foreground & 15; }
  void SetColors(int foreground, int background) {
    foreground_ = foreground & 15;
    background_ = background & 15;
  }
  // Prints at the cursor in the current colours; '\n' is a line end.  Text
  // wraps after column 115, and a line end or wrap below row 45 scrolls.
  void Print(std::string_view text);
  void NewLine() { Print("\n"); }
  // After the last column was written the cursor waits there for more
  // text; this moves it to the start of the next line at once, as a
  // console that wraps on writing the last column would have it.
  void CompleteWrap() {
    if (pendingWrap_) LineEnd();
  }

  // Reads a line with echo: Enter ends it, Backspace takes back the last
  // character, other control keys and mouse events are ignored.  The line
  // end is not echoed.  Throws InputClosed.
  std::string ReadLine();
  // The next key or mouse event.  Throws InputClosed.
  InputEvent WaitEvent();
  std::optional<InputEvent> PollEvent(int timeoutMs) { return device_.PollEvent(timeoutMs); }
  void PassKeysToChild(bool on) { device_.PassKeysToChild(on); }

  // While one of these lives, what is drawn is shown only at its end, all
  // at once (a whole screen drawn cell by cell).
  class Hold {
   public:
    explicit Hold(Console& console) : console_(console) { ++console_.holds_; }
    ~Hold() {
      if (--console_.holds_ == 0) console_.Show();
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    Console& console_;
  };

  int Row() const { return row_; }
  int Column() const { return column_; }
  int Foreground() const { return foreground_; }
  int Background() const { return background_; }

 private:
  void LineEnd();
  void Show();

  ScreenDevice& device_;
  int row_ = 1;
  int column_ = 1;
  bool pendingWrap_ = false;  // the last column was written: wrap on the next character
  long scrolls_ = 0;
  int holds_ = 0;
  int foreground_ = color::kLightGrey;
  int background_ = color::kBlack;
};

}  // namespace halvex
