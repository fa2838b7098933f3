#include "firmware.h"

#include <cstdio>

#include "frames.h"
#include "transfer.h"

namespace velkor {

using namespace protocol;

namespace {

const char* Heading(int target, int phase) {
  if (phase == 0) return target == 0 ? "Flashing Firmware:" : "Flashing Bootrom:";
  return target == 0 ? "Verifying Firmware:" : "Verifying Bootrom:";
}

}  // namespace

void ShowFlashProgress(Connection& connection, Progress& progress) {
  std::array<std::uint8_t, kDataBlockSize> block;
  enum { kNothing, kProgressShown, kTextShown } lastOutput = kNothing;
  int lastTarget = -1;
  int lastPhase = -1;
  bool headingShown = false;

  auto receive = [&] { return connection.ReceiveExact(block.data(), block.size()); };
  if (!receive()) return;
  for (;;) {
    FlashMessage message = ParseFlashMessage(std::string_view(
        reinterpret_cast<const char*>(block.data()) + block_field::kPayload,
        kBlockPayloadSize));
    if (message.kind == FlashMessage::kDone) break;
    if (message.kind == FlashMessage::kProgress) {
      progress.SetTotal(static_cast<std::uint32_t>(message.total));
      if (message.target != lastTarget || message.phase != lastPhase) {
        if (headingShown) std::printf("\n\n");
        std::printf("%s\n", Heading(message.target, message.phase));
        headingShown = true;
      }
      progress.ShowProgress(static_cast<std::uint32_t>(message.done));
      lastTarget = message.target;
      lastPhase = message.phase;
      lastOutput = kProgressShown;
    } else {
      if (headingShown) std::printf("\n\n");
      std::printf("%s\n", message.text.c_str());
      lastOutput = kTextShown;
    }
    if (!receive()) break;
  }
  if (lastOutput == kProgressShown) std::printf("\n\n");
  if (lastOutput == kTextShown) std::printf("\n");
}

bool UploadFirmware(Connection& connection, const std::string& path, std::uint32_t size,
                    bool apply, RunOutput& output) {
  if (!SendFile(connection, path, size, output)) return false;
  if (!apply) return true;
  if (!connection.ReadReply()) return false;
  ShowFlashProgress(connection, output.progress);
  return true;
}

}  // namespace velkor
