#include "firmware.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "progress.h"
#include "transfer.h"

namespace velkor {

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

const char* Heading(int target, int phase) {
  if (phase == 0) return target == 0 ? "Flashing Firmware:" : "Flashing Bootrom:";
  return target == 0 ? "Verifying Firmware:" : "Verifying Bootrom:";
}

}  // namespace

FlashMessage ParseFlashMessage(std::string_view payload) {
  FlashMessage message;
  std::size_t end = payload.find('\0');
  message.text = std::string(payload.substr(0, end));
  if (message.text == "done") {
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

void ShowFlashProgress(Connection& connection) {
  std::array<std::uint8_t, kDataBlockSize> block;
  enum { kNothing, kProgressShown, kTextShown } last_output = kNothing;
  int last_target = -1;
  int last_phase = -1;
  bool heading_shown = false;

  auto receive = [&] { return connection.ReceiveExact(block.data(), block.size()); };
  if (!receive()) return;
  for (;;) {
    FlashMessage message = ParseFlashMessage(std::string_view(
        reinterpret_cast<const char*>(block.data()) + 2, kBlockPayloadSize));
    if (message.kind == FlashMessage::kDone) break;
    if (message.kind == FlashMessage::kProgress) {
      SetProgressTotal(static_cast<std::uint32_t>(message.total));
      if (message.target != last_target || message.phase != last_phase) {
        if (heading_shown) std::printf("\n\n");
        std::printf("%s\n", Heading(message.target, message.phase));
        heading_shown = true;
      }
      ShowProgress(static_cast<std::uint32_t>(message.done));
      last_target = message.target;
      last_phase = message.phase;
      last_output = kProgressShown;
    } else {
      if (heading_shown) std::printf("\n\n");
      std::printf("%s\n", message.text.c_str());
      last_output = kTextShown;
    }
    if (!receive()) break;
  }
  if (last_output == kProgressShown) std::printf("\n\n");
  if (last_output == kTextShown) std::printf("\n");
}

bool UploadFirmware(Connection& connection, const std::string& path, std::uint32_t size,
                    bool apply) {
  if (!SendFile(connection, path, size)) return false;
  if (!apply) return true;
  if (!connection.ReadReply()) return false;
  ShowFlashProgress(connection);
  return true;
}

}  // namespace velkor
