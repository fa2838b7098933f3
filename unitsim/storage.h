// What a unit keeps across restarts, in a folder of its own below the
// state folder of the description (or of --state):
//
//   <state>/<address>_<name>/
//     config.dat          the configuration, opaque bytes
//     scripts/<script>    cbq, fw, nat, rad_users, rad_nas, proxy, dhcpd
//     pages/<page>.html   login, alogin, mlogin, logout, status, noservice,
//                         splash
//     firmware.txt        "<version> <build>\n" after an applied upgrade
//
// An item that was never uploaded is created with plausible default
// content the first time it is needed.  Every write goes to a temporary
// file in the same folder and is renamed over the item when complete, so
// an interrupted upload leaves the earlier content intact.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "unit_settings.h"

namespace unitsim {

std::filesystem::path UnitFolder(const UnitDescription& unit);

// The stored file behind a download or upload action and its selector
// (script 1-7 for actions 2 and 4, page 32-38 for actions 5 and 6);
// nothing for an unknown selector.
std::optional<std::filesystem::path> StoredItem(const UnitDescription& unit, std::uint8_t action,
                                                std::uint8_t selector);

// What an item holds before anything was uploaded.
std::string DefaultContent(const UnitDescription& unit, const std::filesystem::path& item);

// Makes sure the item exists, writing its default content if not.  False
// when the folder cannot be written.
bool EnsureStored(const UnitDescription& unit, const std::filesystem::path& item);

// Writes content atomically.
bool StoreAtomically(const std::filesystem::path& item, std::string_view content);

// The firmware version and build installed by an applied upgrade.
struct InstalledFirmware {
  std::string version;
  std::string build;
};
std::optional<InstalledFirmware> LoadInstalledFirmware(const UnitDescription& unit);
bool SaveInstalledFirmware(const UnitDescription& unit, const InstalledFirmware& firmware);

}  // namespace unitsim
