#include "query_board.h"

namespace halvex {

namespace {

constexpr int kProgressBlank = 88;

}  // namespace

void DrawSteps(Console& console, std::span<const DrawStep> steps) {
  for (const DrawStep& step : steps) {
    switch (step.kind) {
      case DrawStep::Kind::kLineStart:
        // The blanks run on from the previous host's text; the line starts
        // at column 1 of the row they end on.
        console.Print(std::string(kProgressBlank, ' '));
        console.CompleteWrap();
        console.MoveTo(console.Row(), 1);
        break;
      case DrawStep::Kind::kColor:
        console.SetColor(step.color);
        break;
      case DrawStep::Kind::kText:
        console.Print(step.text);
        break;
    }
  }
}

void QueryBoard::Add(std::size_t slot, DrawStep step) {
  std::lock_guard lock(mutex_);
  slots_.at(slot).steps.push_back(std::move(step));
  if (slot == head_) {
    hasNews_ = true;
    news_.notify_all();
  }
}

void QueryBoard::Finish(std::size_t slot) {
  std::lock_guard lock(mutex_);
  slots_.at(slot).finished = true;
  if (slot == head_) {
    hasNews_ = true;
    news_.notify_all();
  }
}

bool QueryBoard::DrawReady(Console& console) {
  std::vector<DrawStep> steps;
  bool done = false;
  {
    std::lock_guard lock(mutex_);
    hasNews_ = false;
    while (head_ < slots_.size()) {
      Slot& slot = slots_[head_];
      for (std::size_t i = drawn_; i < slot.steps.size(); ++i) steps.push_back(std::move(slot.steps[i]));
      drawn_ = slot.steps.size();
      if (!slot.finished) break;
      slot.steps = {};
      ++head_;
      drawn_ = 0;
    }
    done = head_ == slots_.size();
  }
  if (!steps.empty()) {
    Console::Hold once(console);
    DrawSteps(console, steps);
  }
  return done;
}

int QueryBoard::Drawn() {
  std::lock_guard lock(mutex_);
  return static_cast<int>(head_);
}

void QueryBoard::WaitForNews(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  news_.wait_for(lock, timeout, [this] { return hasNews_; });
}

}  // namespace halvex
