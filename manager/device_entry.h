// The per-host table of the block being managed: 256 entries indexed by the
// last octet of the address.  Entry 0 and entry 255 are never used; the sweep
// fills `alive`, `replied` and `pingTime` of hosts 1 to 254, and the device
// query fills the rest.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace halvex {

// Firmware mode reads what a unit runs; Full mode also its wireless figures.
enum class Mode { kFirmware = 1, kFull = 2 };

enum class SnmpState { kNoAnswer, kAnswered };

// What the unit's management server said to velkor's system report, asked
// when SNMP gave no description.
enum class ServerAnswer {
  kNotAsked,   // SNMP answered, or the unit is the old "Linux zeb-platform"
  kReport,     // the report's description
  kOldServer,  // a server error: a firmware too old for the report
  kNoAnswer,   // no usable answer
};

// The firmware text of a unit whose server is too old for the report, and
// of one that gave no description at all.
inline constexpr const char* kOldVersionText = "OLDVERSION";
inline constexpr const char* kUnknownText = "UNKNOWN";

struct DeviceEntry {
  bool alive = false;          // the host answered the sweep
  SnmpState snmpState = SnmpState::kNoAnswer;
  ServerAnswer serverAnswer = ServerAnswer::kNotAsked;
  std::int32_t pingTime = 0;   // round trip in milliseconds; 0 for an answer
                               // in under a millisecond, or for no answer
  // Set by the sweep worker when an echo reply came back in time.  pingTime
  // alone cannot tell a sub-millisecond answer from no answer, and the
  // nearest units of a local network do answer that fast.
  bool replied = false;
  std::string sysDescr;
  std::string firmware;
  std::string build;
  std::string hardware;
  std::string mac;
  std::int16_t registrations = 0;
  std::string quality;
  std::string signal;
  std::string noise;
  std::string linkDb;
  std::string linkRx;
  std::string linkTx;

  friend bool operator==(const DeviceEntry&, const DeviceEntry&) = default;
};

inline constexpr int kHostCount = 256;
inline constexpr int kFirstHost = 1;
inline constexpr int kLastHost = 254;

struct DeviceTable {
  std::array<DeviceEntry, kHostCount> entries;

  DeviceEntry& operator[](int host) { return entries.at(static_cast<std::size_t>(host)); }
  const DeviceEntry& operator[](int host) const {
    return entries.at(static_cast<std::size_t>(host));
  }
  // Everything, as when work on a new block starts.
  void Clear() { entries.fill(DeviceEntry{}); }
  // What a fresh sweep of the same block starts from: the answers of the
  // last sweep go, what the query learnt stays.
  void ClearSweep() {
    for (DeviceEntry& e : entries) {
      e.alive = false;
      e.pingTime = 0;
      e.replied = false;
    }
  }
};

}  // namespace halvex
