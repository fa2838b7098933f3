#include "interrupts.h"

#include <windows.h>

#include <atomic>

namespace halvex {

namespace {

std::atomic<int> g_noted{0};

// Called on a thread of its own.  The console's close ends the process
// when the handler returns: the handler waits a little, so that the work
// can wind itself up first.
BOOL WINAPI Note(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT: {
      int expected = 0;
      g_noted.compare_exchange_strong(expected, static_cast<int>(event) + 1);
      if (event == CTRL_CLOSE_EVENT) Sleep(4000);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

HeldInterrupts::HeldInterrupts() {
  g_noted = 0;
  // The handler added last is asked first: ours, before the console's own.
  SetConsoleCtrlHandler(Note, TRUE);
  held_ = true;
}

int HeldInterrupts::Noted() const { return g_noted.load(); }

int HeldInterrupts::Release() {
  if (!held_) return 0;
  held_ = false;
  SetConsoleCtrlHandler(Note, FALSE);
  return g_noted.exchange(0);
}

void EndByInterrupt(int) { ExitProcess(STATUS_CONTROL_C_EXIT); }

}  // namespace halvex
