// Actions 18 and 19 list the PPP and hotspot sessions as they stand now;
// 48, 53 and 54 end sessions by user name or hotspot address.  When no
// session matches, the final reply says "No active session by this name".
#include <cstdio>

#include "actions.h"
#include "live_state.h"

namespace unitsim {
namespace {

// How long the sessions have run, or 0 when the description stops them.
double SecondsRun(const ActionContext& context, Clock::time_point start) {
  if (!context.unit.description.settings.live.countersRun) return 0;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

template <class Record, class Encode>
bool SendList(ActionContext& context, const std::vector<Record>& records, Encode encode) {
  context.notes.push_back("status 1, " + std::to_string(records.size()) + " sessions");
  if (!context.channel.SendReply(protocol::kStatusOk)) return false;
  for (const Record& record : records) {
    if (!context.channel.Send(encode(record))) return false;
  }
  Record end;
  end.end = 1;
  return context.channel.Send(encode(end));
}

}  // namespace

Outcome HandlePppList(ActionContext& context) {
  auto records = context.unit.state.With([&](UnitStateData& d) {
    std::vector<protocol::PppSessionRecord> now;
    double seconds = SecondsRun(context, d.sessions.started);
    for (const PppDescription& s : d.sessions.ppp) now.push_back(PppAt(s, seconds));
    return now;
  });
  return SendList(context, records, protocol::EncodePppSession) ? Outcome::kFinish : Outcome::kClose;
}

Outcome HandleHotspotList(ActionContext& context) {
  auto records = context.unit.state.With([&](UnitStateData& d) {
    std::vector<protocol::HotspotSessionRecord> now;
    double seconds = SecondsRun(context, d.sessions.started);
    for (const HotspotDescription& s : d.sessions.hotspot) now.push_back(HotspotAt(s, seconds));
    return now;
  });
  return SendList(context, records, protocol::EncodeHotspotSession) ? Outcome::kFinish
                                                                  : Outcome::kClose;
}

Outcome HandleDisconnect(ActionContext& context) {
  if (!context.channel.SendReply(protocol::kStatusOk)) return Outcome::kClose;
  const std::uint8_t action = context.request.action;
  std::string wanted;
  if (action == protocol::kActionDisconnectHotspotIp) {
    std::uint8_t address[4];
    if (!context.channel.ReceiveExact(address, sizeof address)) {
      context.notes.push_back("address message cut short");
      return Outcome::kClose;
    }
    char dotted[16];
    std::snprintf(dotted, sizeof dotted, "%u.%u.%u.%u", address[0], address[1], address[2],
                  address[3]);
    wanted = dotted;
  } else {
    std::uint8_t lengthBytes[4];
    if (!context.channel.ReceiveExact(lengthBytes, sizeof lengthBytes)) {
      context.notes.push_back("user name message cut short");
      return Outcome::kClose;
    }
    std::uint32_t length = protocol::GetU32(lengthBytes);
    if (length > protocol::kMaxUserNameLength) {
      context.notes.push_back("user name of " + std::to_string(length) + " bytes refused");
      context.channel.SendReply(protocol::kStatusFailed);
      return Outcome::kClose;
    }
    wanted.resize(length);
    if (!context.channel.ReceiveExact(reinterpret_cast<std::uint8_t*>(wanted.data()), length)) {
      context.notes.push_back("user name message cut short");
      return Outcome::kClose;
    }
  }

  std::size_t ended = context.unit.state.With([&](UnitStateData& d) {
    switch (action) {
      case protocol::kActionDisconnectPpp:
        return DisconnectPpp(d.sessions, wanted);
      case protocol::kActionDisconnectHotspotUser:
        return DisconnectHotspotUser(d.sessions, wanted);
      default:
        return DisconnectHotspotAddress(d.sessions, wanted);
    }
  });
  if (ended == 0) {
    context.notes.push_back("no session of '" + wanted + "', status 6");
    context.channel.SendReply(protocol::kStatusNoSession);
    return Outcome::kClose;
  }
  context.notes.push_back("ended " + std::to_string(ended) + " session(s) of '" + wanted + "'");
  return Outcome::kFinish;
}

}  // namespace unitsim
