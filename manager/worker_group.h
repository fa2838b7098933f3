// The sweep's worker threads: started one by one, counted while they run,
// and joined at the end.  The count lets the main thread show how many
// answers are still outstanding and wake up as each worker ends.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

#include "thread_start.h"

namespace halvex {

class WorkerGroup {
 public:
  explicit WorkerGroup(std::size_t stackBytes) : stackBytes_(stackBytes) {}
  ~WorkerGroup() { JoinAll(); }
  WorkerGroup(const WorkerGroup&) = delete;
  WorkerGroup& operator=(const WorkerGroup&) = delete;

  // False when the thread could not be started.
  bool Start(std::function<void()> body);
  int Running();
  // Waits until the number of running workers is not `seen` any more, or
  // until `timeout` has passed; gives the number then.
  int WaitForChange(int seen, std::chrono::milliseconds timeout);
  void JoinAll();

 private:
  std::size_t stackBytes_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int running_ = 0;
  std::vector<ThreadHandle> handles_;
};

}  // namespace halvex
