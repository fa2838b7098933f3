// The 16 console colours on a curses terminal.  Console colour numbers and
// curses colour numbers order red and blue the other way round.  A terminal
// with only 8 colours (xterm, linux, PuTTY's default) shows the bright
// foregrounds (8 to 15) as bold, and the bright backgrounds as colours it
// has: dark grey as light grey, the others as their base colours, so that
// black text on dark grey (the bars) stays readable.
#pragma once

namespace halvex {

struct CursesColor {
  int color;  // curses colour number
  bool bold;
};

CursesColor ForegroundColor(int consoleColor, int terminalColors);
int BackgroundColor(int consoleColor, int terminalColors);

}  // namespace halvex
