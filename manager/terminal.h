// The terminal as the manager's console: terminal-posix.cpp draws with
// curses on a 115 by 45 grid, reads keys through curses and the mouse from
// the terminal's SGR reports; terminal-win32.cpp uses the Windows console.  The terminal is given back as it was on
// every way out: Close, normal exit, and the signals that end the program.
#pragma once

#include <memory>
#include <string>

#include "console.h"

namespace halvex {

class Terminal : public ScreenDevice {
 public:
  // Gives the terminal back to the shell (before a child program runs on it).
  virtual void Suspend() = 0;
  // Takes it again and turns the mouse reports back on.
  virtual void Resume() = 0;
  virtual void Close() = 0;
  // Shows a text file to the operator: in the pager ($PAGER, else less) on
  // this terminal on POSIX systems, in Notepad on Windows.  A viewer that
  // cannot be started changes nothing.
  virtual void ShowFile(const std::string& file) = 0;
};

// True when standard error goes to a terminal (a progress line may be
// drawn there).
bool StandardErrorIsTerminal();

// Sets the terminal up: title, a very visible cursor, mouse reports, a short
// Esc delay.  Nothing when standard input and output are not a terminal;
// `problem` then says why.
std::unique_ptr<Terminal> OpenTerminal(const std::string& title, std::string& problem);

}  // namespace halvex
