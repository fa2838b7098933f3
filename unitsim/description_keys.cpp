#include "description_keys.h"

#include <array>

#include "live_keys.h"

namespace unitsim {

std::span<const std::string_view> DescriptionPlaceholders() {
  static constexpr std::array<std::string_view, 6> kNames = {"name",     "address", "hardware",
                                                              "firmware", "build",   "uptime"};
  return kNames;
}

std::span<const std::string_view> ReportPlaceholders() {
  static constexpr std::array<std::string_view, 7> kNames = {
      "name", "address", "hardware", "firmware", "build", "uptime", "description"};
  return kNames;
}

bool BasicKeys(const KeySite& site, UnitSettings& s) {
  const std::string_view key = site.key;
  if (key == "password") {
    s.password = site.String();
  } else if (key == "port") {
    s.port = site.Port();
  } else if (key == "hardware") {
    s.hardware = site.String();
  } else if (key == "firmware") {
    s.firmware = site.String();
  } else if (key == "build") {
    s.build = site.String();
  } else if (key == "reboot_seconds") {
    s.rebootSeconds = static_cast<std::uint32_t>(site.Integer(0, 86400));
  } else if (key == "description") {
    s.description = site.Template(DescriptionPlaceholders());
  } else if (key == "sysinfo") {
    s.sysinfo = site.Template(ReportPlaceholders());
  } else if (key == "kernlog") {
    s.kernlog = site.Template(ReportPlaceholders());
  } else if (key == "state") {
    s.state = site.Path();
  } else {
    return false;
  }
  return true;
}

std::span<const KeyGroup> KeyGroups() {
  static constexpr std::array<KeyGroup, 5> kGroups = {BasicKeys, TransferKeys, LiveKeys,
                                                       AgentKeys, FaultKeys};
  return kGroups;
}

}  // namespace unitsim
