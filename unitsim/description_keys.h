// The keys a [defaults] or [[unit]] table may hold, one group per feature.
//
// A group is a function that looks at one key of a table; it stores the
// value in the settings and returns true when the key is one of its own,
// and returns false otherwise.  A key that no group claims is an error.  A
// feature that needs new keys (or a sub-table such as [unit.limits], or an
// array of tables such as [[unit.card]]) adds its fields to UnitSettings and
// its group to KeyGroups() in description_keys.cpp, in a file of its own.
#pragma once

#include <span>
#include <string_view>

#include "key_site.h"

namespace unitsim {

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
