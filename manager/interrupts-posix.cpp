#include "interrupts.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>

namespace halvex {

namespace {

constexpr int kHeldSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kHeldCount = sizeof kHeldSignals / sizeof kHeldSignals[0];

volatile std::sig_atomic_t g_noted = 0;
struct sigaction g_before[kHeldCount];

void Note(int signal) {
  if (g_noted == 0) g_noted = signal;
}

sigset_t HeldSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kHeldSignals) sigaddset(&set, s);
  return set;
}

}  // namespace

HeldInterrupts::HeldInterrupts() {
  g_noted = 0;
  struct sigaction note {};
  note.sa_handler = Note;
  sigemptyset(&note.sa_mask);
  for (int i = 0; i < kHeldCount; ++i) sigaction(kHeldSignals[i], &note, &g_before[i]);
  held_ = true;
}

int HeldInterrupts::Noted() const { return g_noted; }

int HeldInterrupts::Release() {
  if (!held_) return 0;
  held_ = false;
  // With the signals blocked while the handlers change, none is lost: one
  // that comes meanwhile reaches the earlier handler.
  sigset_t set = HeldSet();
  sigset_t before;
  pthread_sigmask(SIG_BLOCK, &set, &before);
  for (int i = 0; i < kHeldCount; ++i) sigaction(kHeldSignals[i], &g_before[i], nullptr);
  int noted = g_noted;
  g_noted = 0;
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return noted;
}

void EndByInterrupt(int signal) {
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(signal, &standard, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
  _exit(128 + signal);
}

}  // namespace halvex
