#include "child_output.h"

#include <algorithm>

namespace halvex {

void ChildOutput::Flush() {
  if (pending_.empty()) return;
  console_.Print(pending_);
  pending_.clear();
}

namespace {

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

// The line as a terminal shows it: a carriage return goes back to its start
// and later characters overwrite, a backspace steps back, a tab moves on.
void ChildOutput::Track(char c) {
  if (c == '\n') {
    if (!Trimmed(line_).empty()) lastLine_ = Trimmed(line_);
    line_.clear();
    at_ = 0;
  } else if (c == '\r') {
    at_ = 0;
  } else if (c == '\b') {
    if (at_ > 0) --at_;
  } else {
    std::size_t to = c == '\t' ? (at_ / 8 + 1) * 8 : at_ + 1;
    if (line_.size() < to) line_.resize(to, ' ');
    if (c != '\t') line_[at_] = c;
    at_ = to;
  }
}

std::string ChildOutput::LastLine() const {
  std::string current = Trimmed(line_);
  return current.empty() ? lastLine_ : current;
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
      Track(static_cast<char>(c));
    } else if (c == 27) {
      state_ = State::kEscape;
    } else if (c == '\b') {
      Track('\b');
      Flush();
      if (console_.Column() > 1) console_.MoveTo(console_.Row(), console_.Column() - 1);
    } else if (c == '\t') {
      Track('\t');
      Flush();
      int next = ((console_.Column() - 1) / 8 + 1) * 8 + 1;
      console_.MoveTo(console_.Row(), std::min(next, kScreenColumns));
    } else if (c >= 32 && c < 127) {
      pending_ += static_cast<char>(c);
      Track(static_cast<char>(c));
    } else if (c >= 128) {
      pending_ += '?';
      Track('?');
    }
  }
  Flush();
}

}  // namespace halvex
