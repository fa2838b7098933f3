// The 16 console colours on a curses terminal.  Console colour numbers and
// curses colour numbers order red and blue the other way round.  A terminal
// with only 8 colours shows the bright foregrounds (8 to 15) as bold and
// the bright backgrounds as their dark partners.
#pragma once

namespace halvex {

struct CursesColor {
  int color;  // curses colour number
  bool bold;
};

CursesColor ForegroundColor(int consoleColor, int terminalColors);
int BackgroundColor(int consoleColor, int terminalColors);

}  // namespace halvex
