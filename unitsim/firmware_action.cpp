// Action 241: the firmware upload.  The unit checks the announced size
// against its limits, takes the image in DataBlocks that must add up to
// exactly that size, and with the apply flag acknowledges the image and
// "flashes" it: texts for the operator and progress messages
// "TARGET PHASE DONE TOTAL" (target 0 firmware, 1 boot ROM; phase 0
// writing, 1 verifying; DONE of TOTAL kilobytes), paced by the
// description's flash_step_ms, and finally "done".  The installed version
// then comes from the image header (firmware_image.h) and survives restarts.
// An image made for other hardware is refused once it is in.  The faults of
// the description make the flash fail, drop the upload part way, or leave
// the unit on its old firmware after it said yes.
#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "actions.h"
#include "block_stream.h"
#include "firmware_image.h"
#include "flash_messages.h"
#include "storage.h"

namespace unitsim {

namespace {

constexpr std::uint32_t kBootRomKilobytes = 256;
constexpr int kFailingBlock = 37;

class Flasher {
 public:
  Flasher(Channel& channel, const UnitSettings& settings)
      : channel_(channel), settings_(settings) {}

  // Each message is paced; false once the client is gone.
  bool Say(const std::string& text) {
    if (!delivered_) return false;
    delivered_ = channel_.SendBlock(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(settings_.flashStepMs));
    return delivered_;
  }

  // The progress messages of one step, up to `part` of them (all by
  // default).
  bool Step(int target, int phase, std::uint32_t total, std::uint32_t part = ~0u) {
    for (std::uint32_t i = 0; i <= std::min(settings_.flashSteps, part); ++i) {
      auto done = static_cast<std::uint32_t>(static_cast<std::uint64_t>(total) * i /
                                             settings_.flashSteps);
      if (!Say(protocol::FlashProgressText(target, phase, done, total))) return false;
    }
    return true;
  }

 private:
  Channel& channel_;
  const UnitSettings& settings_;
  bool delivered_ = true;
};

// The whole display; false when the client went away during it.  A flash
// that fails stops part way through writing, says so, and ends.
bool Flash(Channel& channel, const UnitSettings& settings, std::uint32_t size,
           const std::optional<ImageVersion>& version) {
  Flasher flasher(channel, settings);
  std::uint32_t kilobytes = size / 1024 + (size % 1024 != 0 ? 1 : 0);
  if (kilobytes == 0) kilobytes = 1;
  std::string image = version ? "Image holds firmware " + version->version + " build " +
                                    version->build
                              : "Image carries no version header";
  bool ok = flasher.Say("Checking image") && flasher.Say(image) && flasher.Say("Erasing flash");
  if (settings.flashFails) {
    return ok && flasher.Step(0, 0, kilobytes, settings.flashSteps / 3) &&
           flasher.Say("Flash write failed at block " + std::to_string(kFailingBlock)) &&
           flasher.Say(std::string(protocol::kFlashDone));
  }
  ok = ok && flasher.Step(0, 0, kilobytes) && flasher.Step(0, 1, kilobytes);
  if (ok && settings.flashBootrom) {
    ok = flasher.Say("Updating boot ROM") && flasher.Step(1, 0, kBootRomKilobytes) &&
         flasher.Step(1, 1, kBootRomKilobytes);
  }
  return ok && flasher.Say("Upgrade complete") && flasher.Say(std::string(protocol::kFlashDone));
}

// The unit runs the image's firmware from now on, also after a restart.
void Install(Unit& unit, const ImageVersion& version) {
  unit.state.With([&](UnitStateData& d) {
    d.firmware = version.version;
    d.build = version.build;
  });
  SaveInstalledFirmware(unit.description, {version.version, version.build});
}

}  // namespace

Outcome HandleFirmware(ActionContext& context) {
  Unit& unit = context.unit;
  const UnitSettings& s = unit.description.settings;
  const std::uint32_t size = context.request.value;
  auto refuse = [&](std::uint8_t status, const std::string& why) {
    context.notes.push_back("status " + std::to_string(status) + " (" + why + ")");
    context.channel.SendReply(status);
    return Outcome::kClose;
  };
  const std::string bytes = std::to_string(size) + " bytes";
  if (size > s.firmwareMaxBytes) return refuse(protocol::kStatusTooLarge, bytes);
  if (size < s.firmwareMinBytes) return refuse(protocol::kStatusTooSmall, bytes);
  context.notes.push_back("status 1, receiving an image of " + std::to_string(size) + " bytes");
  if (!context.channel.SendReply(protocol::kStatusOk)) return Outcome::kClose;

  std::string head;
  BlockResult result = ReceiveBlocks(
      context.channel, size,
      [&](const std::uint8_t* data, std::size_t count) {
        std::size_t keep = std::min(count, kImageHeaderLimit - head.size());
        head.append(reinterpret_cast<const char*>(data), keep);
        return true;
      },
      s.uploadDropAfterBytes);
  if (result != BlockResult::kComplete) {
    context.notes.push_back(std::string("image ") + BlockResultText(result));
    if (IsRefusal(result)) context.channel.SendReply(protocol::kStatusFailed);
    return Outcome::kClose;
  }
  std::optional<ImageVersion> version = ReadImageHeader(head);
  context.notes.push_back(version ? "image of " + version->version + " build " + version->build
                                  : std::string("image without a version header"));
  if (version && !FitsHardware(*version, s.hardware)) {
    return refuse(protocol::kStatusFailed,
                  "image made for " + version->hardware + ", this unit is " + s.hardware);
  }
  const bool apply = (context.request.flags & protocol::kOptionApply) != 0;
  if (!apply) {
    if (s.flashFails) return refuse(protocol::kStatusFailed, "flash write failed");
    if (s.installUploads && version && !s.keepsOldFirmware) {
      Install(unit, *version);
      context.notes.push_back("image installed without the flashing display");
    } else if (s.installUploads && version) {
      context.notes.push_back("image taken, old firmware kept");
    } else {
      context.notes.push_back("image kept, not applied");
    }
    return Outcome::kFinish;
  }

  if (!context.channel.SendReply(protocol::kStatusOk)) return Outcome::kClose;
  // The unit flashes the image whether or not the client stays to watch.
  bool watched = Flash(context.channel, s, size, version);
  if (s.flashFails) {
    context.notes.push_back("flash write failed");
    if (watched) context.channel.SendReply(protocol::kStatusFailed);
    return Outcome::kClose;
  }
  if (version && !s.keepsOldFirmware) Install(unit, *version);
  if (s.keepsOldFirmware) context.notes.push_back("old firmware kept");
  context.notes.push_back(watched ? "flashed" : "flashed, client gone during the display");
  return watched ? Outcome::kFinish : Outcome::kClose;
}

}  // namespace unitsim
