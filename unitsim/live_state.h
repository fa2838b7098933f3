// The live state of a unit: its PPP and hotspot sessions, whose traffic
// counters and online times grow while the simulator runs, and which a
// disconnect removes.  Cards and stations do not change and are read from
// the description.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

#include "live_description.h"

namespace unitsim {

struct LiveSessions {
  std::chrono::steady_clock::time_point started;
  std::vector<PppDescription> ppp;
  std::vector<HotspotDescription> hotspot;
};

LiveSessions StartSessions(const LiveDescription& live, std::chrono::steady_clock::time_point now);

// The records as they stand after the given seconds since the start.
protocol::PppSessionRecord PppAt(const PppDescription& session, double seconds);
protocol::HotspotSessionRecord HotspotAt(const HotspotDescription& session, double seconds);

// Remove every matching session; give how many went.
std::size_t DisconnectPpp(LiveSessions& sessions, std::string_view user);
std::size_t DisconnectHotspotUser(LiveSessions& sessions, std::string_view user);
std::size_t DisconnectHotspotAddress(LiveSessions& sessions, std::string_view dotted);

}  // namespace unitsim
