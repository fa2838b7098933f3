#include "description_keys.h"

#include <array>

#include "live_keys.h"
#include "template.h"

namespace unitsim {

void KeySite::Fail(const std::string& problem) const { throw DescriptionError(file, line, problem); }

std::string KeySite::String() const {
  const auto* value = node.as_string();
  if (value == nullptr) Fail(std::string(key) + " must be a string");
  return value->get();
}

bool KeySite::Boolean() const {
  const auto* value = node.as_boolean();
  if (value == nullptr) Fail(std::string(key) + " must be true or false");
  return value->get();
}

std::int64_t KeySite::Integer(std::int64_t low, std::int64_t high) const {
  const auto* value = node.as_integer();
  if (value == nullptr || value->get() < low || value->get() > high) {
    Fail(std::string(key) + " must be an integer from " + std::to_string(low) + " to " +
         std::to_string(high));
  }
  return value->get();
}

std::uint16_t KeySite::Port() const { return static_cast<std::uint16_t>(Integer(1, 65535)); }

std::filesystem::path KeySite::Path() const {
  std::string text = String();
  if (text.empty()) Fail(std::string(key) + " must not be empty");
  std::filesystem::path path(text);
  return path.is_absolute() ? path : base / path;
}

std::string KeySite::Template(std::span<const std::string_view> known) const {
  std::string text = String();
  if (auto unknown = UnknownPlaceholder(text, known)) {
    Fail(std::string(key) + " uses the unknown placeholder " + *unknown);
  }
  return text;
}

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
    s.reboot_seconds = static_cast<std::uint32_t>(site.Integer(0, 86400));
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
