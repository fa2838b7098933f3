// What the server does after a request: one handler per feature, chosen by
// the action code in Dispatch (actions.cpp), the only place that knows
// which codes are served.
//
// A handler runs from the first ReplyFrame to just before the final one:
// it answers the request (status 1 and, for downloads, the length), runs
// the action's exchange and returns kFinish; Dispatch then sends the final
// ReplyFrame with status 1 and carries out the apply and reboot flags.  A
// handler that refuses the request sends its error reply itself and
// returns kClose, as does one whose connection broke.
//
// To add an action: write its handler in a file of its own (e.g.
// transfer_action.cpp), declare it below and add its codes to the switch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "channel.h"
#include "frames.h"
#include "unit.h"

namespace unitsim {

struct ActionContext {
  Unit& unit;
  Channel& channel;
  const protocol::RequestFrame& request;
  std::vector<std::string>& notes;  // parts of the request log line
};

enum class Outcome { kFinish, kClose };

// "sysinfo", "kernlog", "upgrade", ...; "unknown" for codes that do not exist.
const char* ActionName(std::uint8_t code);

Outcome Dispatch(ActionContext& context);

// Action 0: nothing but the flags.
Outcome HandleFlagsOnly(ActionContext& context);
// Actions 64 and 65.
Outcome HandleReport(ActionContext& context);
// Actions 1, 2, 5 and 66 (transfer_action.cpp).
Outcome HandleDownload(ActionContext& context);
// Actions 3, 4 and 6 (transfer_action.cpp).
Outcome HandleUpload(ActionContext& context);
// Action 241 (firmware_action.cpp).
Outcome HandleFirmware(ActionContext& context);
// Actions 16 and 17: card record and association table.
Outcome HandleCardInfo(ActionContext& context);
Outcome HandleAssociations(ActionContext& context);
// Actions 18 and 19: the session lists; 48, 53 and 54: disconnects.
Outcome HandlePppList(ActionContext& context);
Outcome HandleHotspotList(ActionContext& context);
Outcome HandleDisconnect(ActionContext& context);
// Actions 32 and 33: the throughput test, to and from the client.
Outcome HandleThroughputToClient(ActionContext& context);
Outcome HandleThroughputFromClient(ActionContext& context);
// Every code the unit does not serve: status 4.
Outcome HandleUnsupported(ActionContext& context);

}  // namespace unitsim
