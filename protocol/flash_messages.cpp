#include "flash_messages.h"

#include <cctype>
#include <climits>

namespace protocol {

namespace {

// One "%d" conversion: optional white space, an optional sign, at least one
// digit.  Out-of-range values saturate.
bool ScanInt(std::string_view text, std::size_t& pos, int& value) {
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos]))) return false;
  long long v = 0;
  while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
    if (v <= INT_MAX) v = v * 10 + (text[pos] - '0');
    ++pos;
  }
  if (negative) v = -v;
  value = static_cast<int>(v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : v);
  return true;
}

}  // namespace

FlashMessage ParseFlashMessage(std::string_view payload) {
  FlashMessage message;
  std::size_t end = payload.find('\0');
  message.text = std::string(payload.substr(0, end));
  if (message.text == kFlashDone) {
    message.kind = FlashMessage::kDone;
    return message;
  }
  std::size_t pos = 0;
  int numbers[4];
  for (int& n : numbers) {
    if (!ScanInt(message.text, pos, n)) return message;  // a text
  }
  message.kind = FlashMessage::kProgress;
  message.target = numbers[0];
  message.phase = numbers[1];
  message.done = numbers[2];
  message.total = numbers[3];
  return message;
}

std::string FlashProgressText(int target, int phase, std::uint32_t done, std::uint32_t total) {
  return std::to_string(target) + " " + std::to_string(phase) + " " + std::to_string(done) +
         " " + std::to_string(total);
}

}  // namespace protocol
