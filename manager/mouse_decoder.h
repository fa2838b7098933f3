// Turns the xterm SGR mouse reports a terminal sends into mouse events.
//
// With modes 1000 (button events), 1003 (all motion) and 1006 (SGR form)
// on, the terminal reports every mouse event as
//
//   ESC [ < b ; x ; y M     a button pressed, or motion
//   ESC [ < b ; x ; y m     a button released
//
// where x and y are the 1-based column and row and b holds the button in its
// low two bits (0 left, 1 middle, 2 right, 3 none), 32 for motion and 64 for
// the wheel, plus 4, 8 and 16 for Shift, Meta and Ctrl.  The decoder takes
// the text after "ESC [ <".  A second press of the same button on the same
// cell within the double-click time is reported as a double click instead
// of a press; a third press is a plain press again.
#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "input_event.h"

namespace halvex {

class MouseDecoder {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kDoubleClickTime{500};

  // Nothing for a malformed report or one the screens have no use for
  // (the wheel).
  std::optional<InputEvent> Decode(std::string_view report, Clock::time_point now);

 private:
  bool havePress_ = false;
  int pressButton_ = 0;
  int pressRow_ = 0;
  int pressColumn_ = 0;
  Clock::time_point pressTime_{};
};

}  // namespace halvex
