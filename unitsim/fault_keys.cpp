// Description keys of the faults that real units have and of far links.
#include "description_keys.h"

namespace unitsim {

bool FaultKeys(const KeySite& site, UnitSettings& s) {
  const std::string_view key = site.key;
  if (key == "flash_fails") {
    s.flashFails = site.Boolean();
  } else if (key == "keeps_old_firmware") {
    s.keepsOldFirmware = site.Boolean();
  } else if (key == "upload_drop_after_bytes") {
    s.uploadDropAfterBytes = site.Integer(0, 0xFFFFFFFFll);
  } else if (key == "reply_delay_ms") {
    s.replyDelayMs = static_cast<std::uint32_t>(site.Integer(0, 10000));
  } else if (key == "link_kbit") {
    // From a slow modem to ten gigabits: 0 would be no link at all.
    s.linkKbit = static_cast<std::uint32_t>(site.Integer(1, 10000000));
  } else {
    return false;
  }
  return true;
}

}  // namespace unitsim
