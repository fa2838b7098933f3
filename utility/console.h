// The terminal facilities velkor needs: asking for the password without
// echo, and telling a closed pipe on standard output from other write
// failures.  console-posix.cpp implements it with termios; a Windows console
// implementation takes its place there.
#pragma once

#include <optional>
#include <string>

namespace velkor {

// Shows the prompt and reads one line of at most 50 characters with echo
// off; the rest of a longer line is dropped.  Asks on the controlling
// terminal when standard input is not one.  Ctrl-C or Ctrl-\ while it waits
// prints "Interrupt", restores echo and ends the process with -1.
// Gives nothing when there is no terminal to ask on.
std::optional<std::string> PromptPassword(const char* prompt);

// True when standard output is a pipe or socket whose reader has gone.
bool OutputReaderGone();

}  // namespace velkor
