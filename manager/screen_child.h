// Child programs that share the manager's screen: each runs on a terminal
// of its own (a pseudo-terminal of 115 by 45 on POSIX), its output drawn
// into the manager's console (child_output.h) and the operator's keys handed
// to it, so that its progress line and its password prompt work as on a
// console shared with it.  Ctrl-C and Ctrl-\ go to the child, not to the
// manager.  screen_child-posix.cpp implements it.
#pragma once

#include <string>
#include <vector>

#include "console.h"

namespace halvex {

// How a child on the screen ended, and the last line it left there.
struct ScreenRun {
  bool started = false;  // false: it could not be started (a line says so)
  int exitCode = -1;     // its status when it ended by itself
  int signal = 0;        // the signal that ended it, if one did
  std::string lastLine;  // its last non-empty line as the screen shows it
};

// Runs argv (argv[0] a path, or a name looked up on the search path) and
// waits for it.
ScreenRun RunOnScreen(const std::vector<std::string>& argv, Console& console);

}  // namespace halvex
