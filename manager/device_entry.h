// The per-host table of the block being managed: 256 entries indexed by the
// last octet of the address.  Entry 0 and entry 255 are never used; the sweep
// fills `alive`, `replied` and `pingTime` of hosts 1 to 254, and the device
// query fills the rest.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace halvex {

struct DeviceEntry {
  std::int16_t alive = 0;      // 1 when the host answered the sweep
  std::int16_t snmpState = 0;  // 0 = no SNMP answer, 1 = SNMP answered
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
  std::string interfaceName;
  std::string mac;
  std::int16_t registrations = 0;
  std::string quality;
  std::string signal;
  std::string noise;
  std::string wirelessExtra;
  std::string linkColumn2;
  std::string linkColumn3;
  std::string linkColumn4;
  std::string linkDb;
  std::string linkRx;
  std::string linkTx;
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
      e.alive = 0;
      e.pingTime = 0;
      e.replied = false;
    }
  }
};

}  // namespace halvex
