#include "child_output.h"

#include <algorithm>

namespace halvex {

void ChildOutput::Flush() {
  if (pending_.empty()) return;
  console_.Print(pending_);
  pending_.clear();
}

void ChildOutput::Write(std::string_view bytes) {
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (state_) {
      case State::kEscape:
        // ESC [ starts a sequence; ESC and any other character is a
        // two-character sequence.
        state_ = c == '[' ? State::kSequence : State::kText;
        continue;
      case State::kSequence:
        if (c >= 0x40 && c <= 0x7e) state_ = State::kText;  // the final character
        continue;
      case State::kText:
        break;
    }
    if (c == '\r' || c == '\n') {
      pending_ += static_cast<char>(c);
    } else if (c == 27) {
      state_ = State::kEscape;
    } else if (c == '\b') {
      Flush();
      if (console_.Column() > 1) console_.MoveTo(console_.Row(), console_.Column() - 1);
    } else if (c == '\t') {
      Flush();
      int next = ((console_.Column() - 1) / 8 + 1) * 8 + 1;
      console_.MoveTo(console_.Row(), std::min(next, kScreenColumns));
    } else if (c >= 32 && c < 127) {
      pending_ += static_cast<char>(c);
    } else if (c >= 128) {
      pending_ += '?';
    }
  }
  Flush();
}

}  // namespace halvex
