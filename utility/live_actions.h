// The actions that show or change the unit's live state: wireless card and
// association information, PPP and hotspot users, and the throughput test.
#pragma once

#include <cstdint>

#include "cmdline.h"
#include "connection.h"

namespace velkor {

// Action codes 16, 17, 18, 19, 32, 33, 48, 53 and 54.
bool IsLiveAction(std::uint8_t action);

// The exchange between the first and the final reply.  Gives false only
// when the run must end without reading the final reply: a failed card,
// association or list exchange.  The throughput loops and the disconnect
// messages always let the final reply tell how the action went.
bool RunLiveAction(Connection& connection, const ParsedCommand& command);

}  // namespace velkor
