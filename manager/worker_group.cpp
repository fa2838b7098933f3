#include "worker_group.h"

namespace halvex {

bool WorkerGroup::Start(std::function<void()> body) {
  {
    std::lock_guard lock(mutex_);
    ++running_;
  }
  auto wrapped = [this, body = std::move(body)] {
    body();
    std::lock_guard lock(mutex_);
    --running_;
    changed_.notify_all();
  };
  ThreadHandle handle;
  if (!StartThread(std::move(wrapped), stackBytes_, handle)) {
    std::lock_guard lock(mutex_);
    --running_;
    return false;
  }
  handles_.push_back(handle);
  return true;
}

int WorkerGroup::Running() {
  std::lock_guard lock(mutex_);
  return running_;
}

int WorkerGroup::WaitForChange(int seen, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return running_ != seen; });
  return running_;
}

void WorkerGroup::JoinAll() {
  for (ThreadHandle h : handles_) JoinThread(h);
  handles_.clear();
}

}  // namespace halvex
