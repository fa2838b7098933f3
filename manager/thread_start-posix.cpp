#include "thread_start.h"

#include <pthread.h>
#include <signal.h>

#include <memory>

namespace halvex {

namespace {

void* Run(void* arg) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
  // Signals that end the program are for the main thread, which gives the
  // terminal back; a worker has nothing to do with them.
  sigset_t signals;
  sigemptyset(&signals);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGWINCH, SIGTSTP}) sigaddset(&signals, s);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  (*body)();
  return nullptr;
}

}  // namespace

bool StartThread(std::function<void()> body, std::size_t stackBytes, ThreadHandle& handle) {
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) return false;
  pthread_attr_setstacksize(&attr, stackBytes);
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  pthread_t thread;
  int rc = pthread_create(&thread, &attr, Run, owned.get());
  pthread_attr_destroy(&attr);
  if (rc != 0) return false;
  owned.release();
  handle = static_cast<ThreadHandle>(thread);
  return true;
}

void JoinThread(ThreadHandle handle) { pthread_join(static_cast<pthread_t>(handle), nullptr); }

}  // namespace halvex
