#include "mouse_decoder.h"

#include <array>

namespace halvex {

namespace {

// Reads a decimal number of at most 5 digits at `pos`.
bool ReadNumber(std::string_view text, std::size_t& pos, int& value) {
  std::size_t start = pos;
  value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 5) {
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  return pos > start;
}

}  // namespace

std::optional<InputEvent> MouseDecoder::Decode(std::string_view report, Clock::time_point now) {
  std::array<int, 3> numbers{};
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (!ReadNumber(report, pos, numbers[static_cast<std::size_t>(i)])) return std::nullopt;
    if (i < 2) {
      if (pos >= report.size() || report[pos] != ';') return std::nullopt;
      ++pos;
    }
  }
  if (pos + 1 != report.size() || (report[pos] != 'M' && report[pos] != 'm')) return std::nullopt;
  const bool release = report[pos] == 'm';
  const int code = numbers[0];
  const int column = numbers[1];
  const int row = numbers[2];
  if (column < 1 || row < 1) return std::nullopt;
  if (code & 64) return std::nullopt;  // wheel

  static constexpr int kButtons[4] = {mouse::kLeft, mouse::kMiddle, mouse::kRight, mouse::kNoButton};
  const int button = kButtons[code & 3];

  if (code & 32) return InputEvent::Mouse(mouse::kMoved, button, row, column);
  if (release) return InputEvent::Mouse(mouse::kReleased, button, row, column);
  if (button == mouse::kNoButton) return std::nullopt;

  if (havePress_ && button == pressButton_ && row == pressRow_ && column == pressColumn_ &&
      now - pressTime_ <= kDoubleClickTime) {
    havePress_ = false;
    return InputEvent::Mouse(mouse::kDoubleClick, button, row, column);
  }
  havePress_ = true;
  pressButton_ = button;
  pressRow_ = row;
  pressColumn_ = column;
  pressTime_ = now;
  return InputEvent::Mouse(mouse::kPressed, button, row, column);
}

}  // namespace halvex
