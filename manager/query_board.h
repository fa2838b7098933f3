// What the device query draws, host by host.  Asking a host gives a list of
// drawing steps (a new progress line, a colour, a text, what a child wrote
// to its standard error) beside the host's entry; drawing replays the steps
// on the console.  Hosts are asked side by side, but drawn strictly in
// ascending order: the first host not yet drawn is drawn as its steps come,
// every later one waits for it, so that the screen is the one that asking
// the hosts one after another gives.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "console.h"

namespace halvex {

struct DrawStep {
  enum class Kind {
    kLineStart,  // a host's progress line begins (blanks, then column 1)
    kColor,
    kText,
  };
  Kind kind;
  int color = 0;
  std::string text;
};

void DrawSteps(Console& console, std::span<const DrawStep> steps);

// The hosts of one query, by their place in the order of asking.  Workers
// add steps and finish hosts from any thread; only the drawing thread draws.
class QueryBoard {
 public:
  explicit QueryBoard(std::size_t hosts) : slots_(hosts) {}

  void Add(std::size_t slot, DrawStep step);
  void Finish(std::size_t slot);

  // Draws what is drawable now: the finished hosts at the head of the order
  // and what the first unfinished one has so far.  True when every host is
  // drawn.
  bool DrawReady(Console& console);
  // Returns when something new may be drawable, or after `timeout`.
  void WaitForNews(std::chrono::milliseconds timeout);
  // How many hosts are drawn whole.
  int Drawn();

 private:
  struct Slot {
    std::vector<DrawStep> steps;
    bool finished = false;
  };
  std::mutex mutex_;
  std::condition_variable news_;
  bool hasNews_ = false;
  std::vector<Slot> slots_;
  std::size_t head_ = 0;   // the first host not wholly drawn
  std::size_t drawn_ = 0;  // the steps of the head host already drawn
};

}  // namespace halvex
