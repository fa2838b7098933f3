// What a unit is: its settings from a description ([defaults] and its own
// [[unit]] table), its address and name.  The description reader fills
// them; the unit, its storage and its agent read them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "live_description.h"

namespace unitsim {

// Everything a unit is, apart from its address and name.  [defaults] fills
// one of these, and each unit starts from a copy of it.
struct UnitSettings {
  std::string password = "BlueOx";
  std::uint16_t port = 856;
  std::string hardware = "ARX-200";
  std::string firmware = "2.5.1";
  std::string build = "4711";
  std::uint32_t rebootSeconds = 0;
  std::string description;  // template; see report.h for the placeholders
  std::string sysinfo;      // template
  std::string kernlog;      // template
  std::filesystem::path state;  // folder for what the unit stores
  LiveDescription live;         // cards, sessions, throughput limit

  // File transfers and firmware (transfer_keys.cpp).  Uploads outside the
  // limits are refused with "File too large" / "File too small".
  std::uint32_t configMinBytes = 1;
  std::uint32_t configMaxBytes = 1 << 20;
  std::uint32_t textMinBytes = 1;  // scripts and hotspot pages
  std::uint32_t textMaxBytes = 1 << 20;
  std::uint32_t firmwareMinBytes = 1;
  std::uint32_t firmwareMaxBytes = 64 << 20;
  bool supportDrive = true;       // false: "No prepared hard drive found"
  std::uint32_t flashSteps = 10;  // progress messages per flashing step
  std::uint32_t flashStepMs = 150;
  bool flashBootrom = false;      // also write and verify the boot ROM
  // An image sent without the apply flag is installed at once, as though
  // the operator had then chosen 'Upgrade Firmware' on the unit.
  bool installUploads = false;

  // How the unit answers (agent_keys.cpp): its SNMP agent in the lab, and
  // the management server's manners.
  bool snmp = true;                 // false: no SNMP agent answers
  std::string community = "oriole";
  std::string snmpDescription;     // template; empty: the description
  bool oldServer = false;          // refuses the reports: "Command not supported"
  bool silentServer = false;       // closes each connection before its greeting

  // Faults of the field and far links (fault_keys.cpp).
  bool flashFails = false;         // the flash write fails: "Action Failed"
  bool keepsOldFirmware = false;  // says yes to an image, keeps running the old one
  std::int64_t uploadDropAfterBytes = -1;  // closes an upload after this many bytes; -1: never
  std::uint32_t replyDelayMs = 0;  // every message waits this long first
  std::uint32_t linkKbit = 0;       // the bytes go no faster; 0: as fast as they can

  UnitSettings();  // fills the built-in templates
};

struct UnitDescription {
  std::string address;  // dotted IPv4
  std::string name;
  int line = 0;  // of the [[unit]] header, for messages
  UnitSettings settings;
};

}  // namespace unitsim
