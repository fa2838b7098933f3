// The keys a [defaults] or [[unit]] table may hold, one group per feature.
//
// A group is a function that looks at one key of a table; it stores the
// value in the settings and returns true when the key is one of its own,
// and returns false otherwise.  A key that no group claims is an error.  A
// feature that needs new keys (or a sub-table such as [unit.limits], or an
// array of tables such as [[unit.card]]) adds its fields to UnitSettings and
// its group to KeyGroups() in description_keys.cpp, in a file of its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <toml++/toml.h>

#include "description.h"

namespace unitsim {

// One key of a table, with what messages need.
struct KeySite {
  const std::string& file;               // for messages
  const std::filesystem::path& base;     // relative paths start here
  std::string_view table;                // "[defaults]" or "[[unit]]"
  std::string_view key;
  const toml::node& node;
  int line;

  [[noreturn]] void Fail(const std::string& problem) const;
  // Checked readers; each fails with "KEY must be ..." on a wrong value.
  std::string String() const;
  bool Boolean() const;
  std::int64_t Integer(std::int64_t low, std::int64_t high) const;
  std::uint16_t Port() const;
  // A string taken as a path relative to the description's folder.
  std::filesystem::path Path() const;
  // A string whose placeholders must all be among known.
  std::string Template(std::span<const std::string_view> known) const;
};

using KeyGroup = bool (*)(const KeySite& site, UnitSettings& settings);

// The groups, in the order they are asked.
std::span<const KeyGroup> KeyGroups();

// The basic keys: password, port, hardware, firmware, build, reboot_seconds,
// description, sysinfo, kernlog, state.
bool BasicKeys(const KeySite& site, UnitSettings& settings);

// File transfer and firmware keys: config_min_bytes, config_max_bytes,
// text_min_bytes, text_max_bytes, firmware_min_bytes, firmware_max_bytes,
// support_drive, flash_steps, flash_step_ms, flash_bootrom, install_uploads.
bool TransferKeys(const KeySite& site, UnitSettings& settings);

// SNMP agent and server manners: snmp, community, snmp_description,
// old_server, silent_server.
bool AgentKeys(const KeySite& site, UnitSettings& settings);

// Faults and far links: flash_fails, keeps_old_firmware,
// upload_drop_after_bytes, reply_delay_ms, link_kbit.
bool FaultKeys(const KeySite& site, UnitSettings& settings);

// Placeholders allowed in the description, and in the two reports.
std::span<const std::string_view> DescriptionPlaceholders();
std::span<const std::string_view> ReportPlaceholders();

}  // namespace unitsim
