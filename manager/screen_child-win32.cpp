// Child programs that share the manager's screen on Windows: the child
// runs on the manager's own console, which shows its output (a progress
// line redrawn in place, a password prompt) and gives it the keys.  When it
// ends, what it left on the console is taken into the manager's screen.
#include "screen_child.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "subprocess.h"

namespace halvex {

namespace {

// The console's cells, as the child left them, drawn again through the
// manager's console so that its picture of the screen is the real one.
// Gives the last row, from the child's first row to its cursor, that holds
// more than blanks.
std::string TakeOverConsole(Console& console, int firstRow) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(output, &info)) return {};
  std::vector<CHAR_INFO> cells(static_cast<std::size_t>(kScreenRows) * kScreenColumns);
  SMALL_RECT area{0, 0, kScreenColumns - 1, kScreenRows - 1};
  if (!ReadConsoleOutputA(output, cells.data(), COORD{kScreenColumns, kScreenRows}, COORD{0, 0},
                          &area))
    return {};
  std::string lastLine;
  for (int row = std::min<int>(info.dwCursorPosition.Y + 1, kScreenRows); row >= firstRow && row >= 1 &&
                                                                         lastLine.empty();
       --row) {
    for (int column = 1; column <= kScreenColumns; ++column) {
      char c = cells[static_cast<std::size_t>((row - 1) * kScreenColumns + column - 1)].Char.AsciiChar;
      lastLine += c == 0 ? ' ' : c;
    }
    while (!lastLine.empty() && lastLine.back() == ' ') lastLine.pop_back();
  }
  const int foreground = console.Foreground();
  const int background = console.Background();
  {
    Console::Hold hold(console);
    for (int row = 1; row <= kScreenRows; ++row) {
      for (int column = 1; column <= kScreenColumns; ++column) {
        const CHAR_INFO& cell = cells[static_cast<std::size_t>((row - 1) * kScreenColumns + column - 1)];
        console.MoveTo(row, column);
        console.SetColors(cell.Attributes & 15, (cell.Attributes >> 4) & 15);
        char c = cell.Char.AsciiChar == 0 ? ' ' : cell.Char.AsciiChar;
        console.Print(std::string_view(&c, 1));
      }
    }
    console.SetColors(foreground, background);
    console.MoveTo(info.dwCursorPosition.Y + 1, info.dwCursorPosition.X + 1);
  }
  return lastLine;
}

}  // namespace

ScreenRun RunOnScreen(const std::vector<std::string>& argv, Console& console) {
  if (argv.empty() || argv[0].empty()) {
    console.Print("halvex: cannot start a program (no program)\n");
    return {};
  }
  // What the manager drew is on the console, its cursor where the child
  // starts writing.
  console.CompleteWrap();
  {
    Console::Hold show(console);
    console.MoveTo(console.Row(), console.Column());
  }
  const int firstRow = console.Row();
  console.PassKeysToChild(true);
  int status = RunShared(argv);
  console.PassKeysToChild(false);
  if (status == -1) {
    console.Print("halvex: cannot start " + argv[0] + " (error " + std::to_string(GetLastError()) +
                  ")\n");
    return {};
  }
  ScreenRun run;
  run.started = true;
  run.exitCode = status;
  run.lastLine = TakeOverConsole(console, firstRow);
  return run;
}

}  // namespace halvex
