// What a child program writes to its terminal, drawn into the manager's
// console at the cursor in the colour in force, as a console shared with
// the child would show it: a carriage return goes back to the start of the
// line (so a progress line redraws in place), a line end goes down (and
// scrolls at the bottom), a backspace goes one cell left, a tab to the next
// multiple of 8.  Terminal control sequences (ESC [ ...) and other control
// characters are dropped; bytes past ASCII show as '?'.  The last
// non-empty line, as the screen shows it, is kept for the journal.
#pragma once

#include <string_view>

#include "console.h"

namespace halvex {

class ChildOutput {
 public:
  explicit ChildOutput(Console& console) : console_(console) {}
  // Takes the next piece; a control sequence may be split across pieces.
  void Write(std::string_view bytes);
  // The last line that held more than blanks, trailing blanks removed.
  std::string LastLine() const;

 private:
  void Flush();
  void Track(char c);

  enum class State { kText, kEscape, kSequence };
  Console& console_;
  State state_ = State::kText;
  std::string pending_;
  std::string line_;  // the line being written, as it stands
  std::size_t at_ = 0;  // where in it the next character lands
  std::string lastLine_;
};

}  // namespace halvex
