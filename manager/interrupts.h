// The signals that end the program (on POSIX systems SIGINT, SIGTERM,
// SIGHUP and SIGQUIT; on Windows Ctrl-C, Ctrl-Break and the console's
// close), held back while work that must be undone first is under way: the
// device query, whose children must be ended and whose scratch files must
// go.  While held, such a signal is only noted; the work looks at the note,
// winds itself up and ends the program as the signal would have.
//
// interrupts-posix.cpp and interrupts-win32.cpp implement it.
#pragma once

namespace halvex {

// Thrown by work that stopped because an interrupt was noted; whoever
// catches it gives the terminal back and calls EndByInterrupt.
struct Interrupted {
  int signal;
};

class HeldInterrupts {
 public:
  HeldInterrupts();
  ~HeldInterrupts() { Release(); }
  HeldInterrupts(const HeldInterrupts&) = delete;
  HeldInterrupts& operator=(const HeldInterrupts&) = delete;

  // The signal noted so far, or 0.
  int Noted() const;
  // The signals go back to what they did before; gives the signal noted
  // (0: none).  One that comes after this takes its usual course.
  int Release();

 private:
  bool held_ = false;
};

// Ends the process as `signal` would have ended it.
[[noreturn]] void EndByInterrupt(int signal);

}  // namespace halvex
