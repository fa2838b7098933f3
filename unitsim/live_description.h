// What a unit's description says about its live state: wireless cards with
// their associated stations, PPP and hotspot sessions, and how fast the
// throughput test may run.  live_keys.cpp reads it from the description:
//
//   throughput_limit_kbit = 20000     # optional; 0 or absent = no limit
//   counters_run = false              # optional; false keeps the session
//                                     # counters and online times still
//
//   [[unit.card]]                     # one table per card
//   device = "wlan1"                  # required
//   type = "atheros"                  # orinoco, prism, teletronics, atheros
//                                     # or a number
//   variant = 1                       # prism: 0 = II; atheros: 0 = 5211
//   firmware = "2.4.11"
//   mode = "master"                   # adhoc, infrastructure, master or a number
//   mac = "00:0C:42:17:00:05"         # the cell or access point
//   essid = "lab-ap"
//   nickname = ""
//   channel = 36
//   rate = 110                        # units of 100 kbit/s
//   auto_rate = true
//   link_state = 4                    # 4 or 6 = associated
//   quality = 45                      # and quality_max, level, level_max,
//                                     # noise, noise_max
//   distance = 1.05                   # miles
//
//   [[unit.card.station]]             # associated stations of that card
//   name = "cpe-north"
//   mac = "00:0C:42:AA:BB:CC"
//   ip = "10.42.23.17"
//   quality = 45                      # and signal, noise, client_signal,
//                                     # client_noise, rate: 0-255
//   rx = 5000000000                   # traffic counters
//   tx = 1234
//   idle = 61                         # seconds
//
//   [[unit.ppp]]
//   user = "alice"                    # required
//   type = "pppoe"
//   port = "eth1"
//   ip = "10.5.0.12"
//   rx = 1000                         # counters at start ...
//   tx = 2000
//   rx_rate = 2048                    # ... growing by these bytes per second
//   tx_rate = 1024
//
//   [[unit.hotspot]]
//   user = "bob"                      # required
//   ip = "10.5.50.2"                  # required, dotted
//   mac = "00:11:22:33:44:55"
//   rx = 100                          # counters at start, growing by
//   tx = 200                          # rx_rate and tx_rate bytes per second
//   rx_rate = 300
//   tx_rate = 100
//   online = 3661                     # seconds online at start; grows
//   limit = 7200                      # seconds; 0 = none
//
// The count of associated clients in the card record is the number of
// stations; a device the description does not list has no supported card.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session_records.h"
#include "wireless_records.h"

namespace unitsim {

struct CardDescription {
  std::string device;
  protocol::CardRecord card;  // clients is set from the stations
  std::vector<protocol::AssociationRecord> stations;
};

// A session's record as it was when the unit started, and how fast its
// counters grow.
struct PppDescription {
  protocol::PppSessionRecord record;  // rates as reported
};

struct HotspotDescription {
  protocol::HotspotSessionRecord record;
  std::uint32_t receiveRate = 0;   // bytes per second
  std::uint32_t transmitRate = 0;  // bytes per second
};

struct LiveDescription {
  std::vector<CardDescription> cards;
  std::vector<PppDescription> ppp;
  std::vector<HotspotDescription> hotspot;
  std::uint32_t throughputLimitKbit = 0;  // 0 = as fast as the link goes
  bool countersRun = true;                 // false: sessions stand still
};

// The card of a device, or nothing when the unit has none there.
const CardDescription* FindCard(const LiveDescription& live, std::string_view device);

}  // namespace unitsim
