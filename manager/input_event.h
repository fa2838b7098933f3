// One key or mouse event, in the form the manager's screens consume: a key
// is its character, or character 0 with the PC scan code of a function or
// cursor key; a mouse event carries an event code, a button and the cell of
// the pointer.
#pragma once

namespace halvex {

namespace scan {
inline constexpr int kF1 = 59;
inline constexpr int kF2 = 60;
inline constexpr int kF3 = 61;
inline constexpr int kF4 = 62;
inline constexpr int kF5 = 63;
inline constexpr int kF6 = 64;
inline constexpr int kF7 = 65;
inline constexpr int kF8 = 66;
inline constexpr int kF9 = 67;
inline constexpr int kF10 = 68;
inline constexpr int kF11 = 133;
inline constexpr int kF12 = 134;
inline constexpr int kHome = 71;
inline constexpr int kUp = 72;
inline constexpr int kPageUp = 73;
inline constexpr int kLeft = 75;
inline constexpr int kRight = 77;
inline constexpr int kEnd = 79;
inline constexpr int kDown = 80;
inline constexpr int kPageDown = 81;
inline constexpr int kInsert = 82;
inline constexpr int kDelete = 83;
}  // namespace scan

namespace mouse {
// Event codes.
inline constexpr int kMoved = 1;
inline constexpr int kDoubleClick = 2;
inline constexpr int kPressed = 4;
inline constexpr int kReleased = 8;  // screens that want only presses ignore it
// Buttons.
inline constexpr int kNoButton = 0;
inline constexpr int kLeft = 1;
inline constexpr int kRight = 2;
inline constexpr int kMiddle = 4;
}  // namespace mouse

inline constexpr int kEscape = 27;
inline constexpr int kEnter = 13;
inline constexpr int kBackspace = 8;

struct InputEvent {
  enum class Type { kKey, kMouse };
  Type type = Type::kKey;
  int character = 0;  // key: its character (1-255), or 0 for a scan code
  int scanCode = 0;   // key with character 0
  int mouseEvent = 0; // mouse: one of mouse::k*
  int button = 0;     // mouse: the button pressed, released or held
  int row = 0;        // mouse: pointer cell, 1-based
  int column = 0;

  static InputEvent Key(int character) {
    InputEvent e;
    e.character = character;
    return e;
  }
  static InputEvent Scan(int code) {
    InputEvent e;
    e.scanCode = code;
    return e;
  }
  static InputEvent Mouse(int event, int button, int row, int column) {
    InputEvent e;
    e.type = Type::kMouse;
    e.mouseEvent = event;
    e.button = button;
    e.row = row;
    e.column = column;
    return e;
  }
  bool IsKey(int c) const { return type == Type::kKey && character == c; }
  bool IsScan(int code) const { return type == Type::kKey && character == 0 && scanCode == code; }
};

}  // namespace halvex
