#include "thread_start.h"

#include <windows.h>
#include <process.h>

#include <memory>

namespace halvex {

namespace {

unsigned __stdcall Run(void* arg) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
  (*body)();
  return 0;
}

}  // namespace

bool StartThread(std::function<void()> body, std::size_t stackBytes, ThreadHandle& handle) {
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  // The size is the stack reserved for the thread, not what it commits.
  std::uintptr_t thread = _beginthreadex(nullptr, static_cast<unsigned>(stackBytes), Run,
                                         owned.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == 0) return false;
  owned.release();
  handle = static_cast<ThreadHandle>(thread);
  return true;
}

void JoinThread(ThreadHandle handle) {
  HANDLE thread = reinterpret_cast<HANDLE>(handle);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

}  // namespace halvex
