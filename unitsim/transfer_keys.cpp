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
    s.config_min_bytes = Bytes(site);
  } else if (key == "config_max_bytes") {
    s.config_max_bytes = Bytes(site);
  } else if (key == "text_min_bytes") {
    s.text_min_bytes = Bytes(site);
  } else if (key == "text_max_bytes") {
    s.text_max_bytes = Bytes(site);
  } else if (key == "firmware_min_bytes") {
    s.firmware_min_bytes = Bytes(site);
  } else if (key == "firmware_max_bytes") {
    s.firmware_max_bytes = Bytes(site);
  } else if (key == "support_drive") {
    s.support_drive = site.Boolean();
  } else if (key == "flash_steps") {
    s.flash_steps = static_cast<std::uint32_t>(site.Integer(1, 1000));
  } else if (key == "flash_step_ms") {
    s.flash_step_ms = static_cast<std::uint32_t>(site.Integer(0, 60000));
  } else if (key == "flash_bootrom") {
    s.flash_bootrom = site.Boolean();
  } else if (key == "install_uploads") {
    s.install_uploads = site.Boolean();
  } else {
    return false;
  }
  return true;
}

}  // namespace unitsim
