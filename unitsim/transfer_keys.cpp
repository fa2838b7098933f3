// Description keys of the file transfers and the firmware upgrade.
#include "description_keys.h"

namespace unitsim {

namespace {

std::uint32_t Bytes(const KeySite& site) {
  return static_cast<std::uint32_t>(site.Integer(0, 0xFFFFFFFFll));
}

}  // namespace

bool TransferKeys(const KeySite& site, UnitSettings& s) {
  const std::string_view key = site.key;
  if (key == "config_min_bytes") {
    s.configMinBytes = Bytes(site);
  } else if (key == "config_max_bytes") {
    s.configMaxBytes = Bytes(site);
  } else if (key == "text_min_bytes") {
    s.textMinBytes = Bytes(site);
  } else if (key == "text_max_bytes") {
    s.textMaxBytes = Bytes(site);
  } else if (key == "firmware_min_bytes") {
    s.firmwareMinBytes = Bytes(site);
  } else if (key == "firmware_max_bytes") {
    s.firmwareMaxBytes = Bytes(site);
  } else if (key == "support_drive") {
    s.supportDrive = site.Boolean();
  } else if (key == "flash_steps") {
    s.flashSteps = static_cast<std::uint32_t>(site.Integer(1, 1000));
  } else if (key == "flash_step_ms") {
    s.flashStepMs = static_cast<std::uint32_t>(site.Integer(0, 60000));
  } else if (key == "flash_bootrom") {
    s.flashBootrom = site.Boolean();
  } else if (key == "install_uploads") {
    s.installUploads = site.Boolean();
  } else {
    return false;
  }
  return true;
}

}  // namespace unitsim
