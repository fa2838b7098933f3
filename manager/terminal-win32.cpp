// The Windows console as the manager's console: a screen buffer and window
// of 115 by 45, drawn from a grid of character cells with their colour
// attributes (the console colours are the manager's own numbers), keys and
// mouse from ReadConsoleInput with quick edit off.  The console is given
// back as it was (title, size, modes, cursor, colours) on Close, at exit
// and on Ctrl-C, Ctrl-Break and the console's close.
#include "terminal.h"

#include <windows.h>

#include <array>
#include <cstdlib>

#include "subprocess.h"

namespace halvex {

namespace {

struct SavedConsole {
  bool valid = false;
  HANDLE input = INVALID_HANDLE_VALUE;
  HANDLE output = INVALID_HANDLE_VALUE;
  DWORD inputMode = 0;
  DWORD outputMode = 0;
  CONSOLE_SCREEN_BUFFER_INFO buffer{};
  CONSOLE_CURSOR_INFO cursor{};
  char title[1024] = {};
};

SavedConsole g_saved;

void RestoreConsole() {
  if (!g_saved.valid) return;
  g_saved.valid = false;
  SetConsoleMode(g_saved.input, g_saved.inputMode);
  SetConsoleMode(g_saved.output, g_saved.outputMode);
  // The window first shrinks into the old buffer size, then the buffer.
  SMALL_RECT tiny{0, 0, 0, 0};
  SetConsoleWindowInfo(g_saved.output, TRUE, &tiny);
  SetConsoleScreenBufferSize(g_saved.output, g_saved.buffer.dwSize);
  SetConsoleWindowInfo(g_saved.output, TRUE, &g_saved.buffer.srWindow);
  SetConsoleTextAttribute(g_saved.output, g_saved.buffer.wAttributes);
  SetConsoleCursorInfo(g_saved.output, &g_saved.cursor);
  SetConsoleTitleA(g_saved.title);
}

// Ctrl-C, Ctrl-Break, the console's close: the console goes back as it
// was, then the program ends as an interrupted console program does.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      RestoreConsole();
      ExitProcess(STATUS_CONTROL_C_EXIT);
    default:
      return FALSE;
  }
}

// The PC scan code of a function or cursor key, from its virtual key code
// (consoles that do not fill in the scan code still give that).
int ScanCodeOf(const KEY_EVENT_RECORD& key) {
  const WORD vk = key.wVirtualKeyCode;
  if (vk >= VK_F1 && vk <= VK_F10) return 59 + (vk - VK_F1);
  switch (vk) {
    case VK_F11: return 133;
    case VK_F12: return 134;
    case VK_HOME: return 71;
    case VK_UP: return 72;
    case VK_PRIOR: return 73;
    case VK_LEFT: return 75;
    case VK_RIGHT: return 77;
    case VK_END: return 79;
    case VK_DOWN: return 80;
    case VK_NEXT: return 81;
    case VK_INSERT: return 82;
    case VK_DELETE: return 83;
    default: return 0;  // Shift, Ctrl, Alt and other keys without a character
  }
}

class ConsoleTerminal : public Terminal {
 public:
  ConsoleTerminal(HANDLE input, HANDLE output) : input_(input), output_(output) {
    for (auto& cell : cells_) cell = Blank(0);
    ApplyModes();
  }
  ~ConsoleTerminal() override { Close(); }

  void Put(int row, int column, unsigned char c, int foreground, int background) override {
    CHAR_INFO& cell = cells_[Index(row - 1, column - 1)];
    cell.Char.AsciiChar = static_cast<CHAR>(c);
    cell.Attributes = Attribute(foreground, background);
  }

  void ScrollUp(int background) override {
    for (int row = 1; row < kScreenRows; ++row) {
      for (int col = 0; col < kScreenColumns; ++col) cells_[Index(row - 1, col)] = cells_[Index(row, col)];
    }
    for (int col = 0; col < kScreenColumns; ++col) cells_[Index(kScreenRows - 1, col)] = Blank(background);
  }

  void ClearAll(int background) override {
    for (auto& cell : cells_) cell = Blank(background);
  }

  void PlaceCursor(int row, int column) override {
    cursor_ = COORD{static_cast<SHORT>(column - 1), static_cast<SHORT>(row - 1)};
  }

  void Present() override {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(output_, &info);
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;
    if (columns < kScreenColumns || rows < kScreenRows) {
      ShowTooSmall(columns, rows);
      return;
    }
    small_ = false;
    SMALL_RECT area{0, 0, kScreenColumns - 1, kScreenRows - 1};
    WriteConsoleOutputA(output_, cells_.data(), COORD{kScreenColumns, kScreenRows}, COORD{0, 0},
                        &area);
    SetConsoleCursorPosition(output_, cursor_);
  }

  std::optional<InputEvent> NextEvent() override {
    for (;;) {
      bool failed = false;
      if (auto e = ReadEvent(INFINITE, failed)) return e;
      if (failed) return std::nullopt;
    }
  }

  std::optional<InputEvent> PollEvent(int timeoutMs) override {
    bool failed = false;
    return ReadEvent(static_cast<DWORD>(timeoutMs < 0 ? 0 : timeoutMs), failed);
  }

  // The child shares the console: it reads the keys itself, and Ctrl-C is
  // its own while the manager ignores it.
  void PassKeysToChild(bool on) override { SetConsoleCtrlHandler(nullptr, on ? TRUE : FALSE); }

  void Suspend() override { SetConsoleMode(input_, g_saved.inputMode); }

  void Resume() override {
    ApplyModes();
    Present();
  }

  // The help file in Notepad, which runs on its own.
  void ShowFile(const std::string& file) override { StartDetached({"notepad.exe", file}); }

  void Close() override {
    if (closed_) return;
    closed_ = true;
    RestoreConsole();
  }

 private:
  static int Index(int row, int column) { return row * kScreenColumns + column; }
  static WORD Attribute(int foreground, int background) {
    return static_cast<WORD>((foreground & 15) | ((background & 15) << 4));
  }
  static CHAR_INFO Blank(int background) {
    CHAR_INFO cell{};
    cell.Char.AsciiChar = ' ';
    cell.Attributes = Attribute(7, background);
    return cell;
  }

  void ApplyModes() {
    // Mouse and window events, no quick edit (it would take the mouse);
    // Ctrl-C still raises its event, which restores the console.
    SetConsoleMode(input_, ENABLE_EXTENDED_FLAGS | ENABLE_MOUSE_INPUT | ENABLE_WINDOW_INPUT |
                               ENABLE_PROCESSED_INPUT);
    SetConsoleMode(output_, ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT);
  }

  void ShowTooSmall(int columns, int rows) {
    if (small_) return;
    small_ = true;
    std::array<std::string, 3> lines = {
        "This window is too small for halvex.",
        "halvex needs at least " + std::to_string(kScreenColumns) + " columns by " +
            std::to_string(kScreenRows) + " rows; this one is " + std::to_string(columns) +
            " by " + std::to_string(rows) + ".",
        "Please make the window larger."};
    DWORD written = 0;
    COORD home{0, 0};
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(output_, &info);
    FillConsoleOutputCharacterA(output_, ' ', static_cast<DWORD>(info.dwSize.X * info.dwSize.Y),
                                home, &written);
    FillConsoleOutputAttribute(output_, 7, static_cast<DWORD>(info.dwSize.X * info.dwSize.Y), home,
                               &written);
    for (SHORT i = 0; i < static_cast<SHORT>(lines.size()); ++i) {
      WriteConsoleOutputCharacterA(output_, lines[static_cast<std::size_t>(i)].c_str(),
                                   static_cast<DWORD>(lines[static_cast<std::size_t>(i)].size()),
                                   COORD{0, i}, &written);
    }
  }

  std::optional<InputEvent> ReadEvent(DWORD timeoutMs, bool& failed) {
    if (WaitForSingleObject(input_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    INPUT_RECORD record{};
    DWORD count = 0;
    if (!ReadConsoleInputA(input_, &record, 1, &count)) {
      failed = true;
      return std::nullopt;
    }
    if (count == 0) return std::nullopt;
    switch (record.EventType) {
      case KEY_EVENT: return KeyEvent(record.Event.KeyEvent);
      case MOUSE_EVENT: return MouseEvent(record.Event.MouseEvent);
      case WINDOW_BUFFER_SIZE_EVENT: Present(); return std::nullopt;
      default: return std::nullopt;
    }
  }

  static std::optional<InputEvent> KeyEvent(const KEY_EVENT_RECORD& key) {
    if (!key.bKeyDown) return std::nullopt;
    auto c = static_cast<unsigned char>(key.uChar.AsciiChar);
    if (c != 0) return InputEvent::Key(c == '\n' ? kEnter : c);
    // Some consoles (Wine's) give these keys without their character.
    switch (key.wVirtualKeyCode) {
      case VK_ESCAPE: return InputEvent::Key(kEscape);
      case VK_RETURN: return InputEvent::Key(kEnter);
      case VK_BACK: return InputEvent::Key(kBackspace);
      case VK_TAB: return InputEvent::Key('\t');
      default: break;
    }
    if (int scan = ScanCodeOf(key)) return InputEvent::Scan(scan);
    return std::nullopt;
  }

  // Mouse records as the table reads them: which button went down or up,
  // a double click, or a move with the buttons held.
  std::optional<InputEvent> MouseEvent(const MOUSE_EVENT_RECORD& m) {
    const int buttons = static_cast<int>(m.dwButtonState & 7);  // left, right, middle
    const int row = m.dwMousePosition.Y + 1;
    const int column = m.dwMousePosition.X + 1;
    if (row < 1 || row > kScreenRows || column < 1 || column > kScreenColumns) return std::nullopt;
    std::optional<InputEvent> event;
    if (m.dwEventFlags & MOUSE_WHEELED || m.dwEventFlags & MOUSE_HWHEELED) {
      return std::nullopt;
    } else if (m.dwEventFlags & DOUBLE_CLICK) {
      event = InputEvent::Mouse(mouse::kDoubleClick, FirstButton(buttons), row, column);
    } else if (m.dwEventFlags & MOUSE_MOVED) {
      event = InputEvent::Mouse(mouse::kMoved, FirstButton(buttons), row, column);
    } else if (int pressed = buttons & ~buttons_) {
      event = InputEvent::Mouse(mouse::kPressed, FirstButton(pressed), row, column);
    } else if (int released = buttons_ & ~buttons) {
      event = InputEvent::Mouse(mouse::kReleased, FirstButton(released), row, column);
    }
    buttons_ = buttons;
    return event;
  }

  static int FirstButton(int buttons) {
    if (buttons & FROM_LEFT_1ST_BUTTON_PRESSED) return mouse::kLeft;
    if (buttons & RIGHTMOST_BUTTON_PRESSED) return mouse::kRight;
    if (buttons & FROM_LEFT_2ND_BUTTON_PRESSED) return mouse::kMiddle;
    return mouse::kNoButton;
  }

  HANDLE input_;
  HANDLE output_;
  std::array<CHAR_INFO, kScreenRows * kScreenColumns> cells_{};
  COORD cursor_{0, 0};
  int buttons_ = 0;
  bool small_ = false;
  bool closed_ = false;
};

// Buffer and window of 115 by 45: the window shrinks first so that the
// buffer may become smaller than it was.
void SizeConsole(HANDLE output) {
  SMALL_RECT tiny{0, 0, 0, 0};
  SetConsoleWindowInfo(output, TRUE, &tiny);
  SetConsoleScreenBufferSize(output, COORD{kScreenColumns, kScreenRows});
  SMALL_RECT full{0, 0, kScreenColumns - 1, kScreenRows - 1};
  SetConsoleWindowInfo(output, TRUE, &full);
}

}  // namespace

bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::unique_ptr<Terminal> OpenTerminal(const std::string& title, std::string& problem) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD inputMode = 0;
  DWORD outputMode = 0;
  if (!GetConsoleMode(input, &inputMode) || !GetConsoleMode(output, &outputMode)) {
    problem = "standard input and output must be a console (halvex is a full-screen program).";
    return nullptr;
  }
  g_saved.input = input;
  g_saved.output = output;
  g_saved.inputMode = inputMode;
  g_saved.outputMode = outputMode;
  GetConsoleScreenBufferInfo(output, &g_saved.buffer);
  GetConsoleCursorInfo(output, &g_saved.cursor);
  GetConsoleTitleA(g_saved.title, sizeof g_saved.title);
  g_saved.valid = true;
  std::atexit(RestoreConsole);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);

  SetConsoleTitleA(title.c_str());
  SizeConsole(output);
  CONSOLE_CURSOR_INFO cursor{100, TRUE};  // a very visible cursor
  SetConsoleCursorInfo(output, &cursor);
  auto terminal = std::make_unique<ConsoleTerminal>(input, output);
  terminal->Present();
  return terminal;
}

}  // namespace halvex
