#include "live_state.h"

#include <vector>

namespace unitsim {

const CardDescription* FindCard(const LiveDescription& live, std::string_view device) {
  for (const CardDescription& card : live.cards) {
    if (card.device == device) return &card;
  }
  return nullptr;
}

LiveSessions StartSessions(const LiveDescription& live, std::chrono::steady_clock::time_point now) {
  return LiveSessions{now, live.ppp, live.hotspot};
}

protocol::PppSessionRecord PppAt(const PppDescription& session, double seconds) {
  protocol::PppSessionRecord r = session.record;
  r.received += static_cast<std::int64_t>(r.receiveRate * seconds);
  r.transmitted += static_cast<std::int64_t>(r.transmitRate * seconds);
  return r;
}

protocol::HotspotSessionRecord HotspotAt(const HotspotDescription& session, double seconds) {
  // The unit's hotspot counters are 32 bits wide and wrap.
  auto grown = [seconds](std::uint32_t start, std::uint32_t rate) {
    auto added = static_cast<std::uint64_t>(rate * seconds);
    return static_cast<std::uint32_t>(start + added);
  };
  protocol::HotspotSessionRecord r = session.record;
  r.received = grown(r.received, session.receiveRate);
  r.transmitted = grown(r.transmitted, session.transmitRate);
  r.online = grown(r.online, 1);
  return r;
}

std::size_t DisconnectPpp(LiveSessions& sessions, std::string_view user) {
  return std::erase_if(sessions.ppp, [&](const PppDescription& s) { return s.record.user == user; });
}

std::size_t DisconnectHotspotUser(LiveSessions& sessions, std::string_view user) {
  return std::erase_if(sessions.hotspot,
                     [&](const HotspotDescription& s) { return s.record.user == user; });
}

std::size_t DisconnectHotspotAddress(LiveSessions& sessions, std::string_view dotted) {
  return std::erase_if(sessions.hotspot,
                     [&](const HotspotDescription& s) { return s.record.address == dotted; });
}

}  // namespace unitsim
