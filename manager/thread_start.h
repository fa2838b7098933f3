// Starting and joining threads with a chosen stack size, which the standard
// library does not offer.  thread_start-posix.cpp uses pthreads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace halvex {

using ThreadHandle = std::uintptr_t;

// Starts `body` on a new thread with a stack of `stackBytes`.  False when
// the system refuses; `body` is then not run.
bool StartThread(std::function<void()> body, std::size_t stackBytes, ThreadHandle& handle);
void JoinThread(ThreadHandle handle);

}  // namespace halvex
