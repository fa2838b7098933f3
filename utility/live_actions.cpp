#include "live_actions.h"

#include "frames.h"
#include "throughput.h"
#include "user_sessions.h"
#include "wireless.h"

namespace velkor {

bool IsLiveAction(std::uint8_t action) {
  switch (action) {
    case kActionCardInfo:
    case kActionAssociations:
    case kActionListPpp:
    case kActionListHotspot:
    case kActionReceiveThroughput:
    case kActionTransmitThroughput:
    case kActionDisconnectPpp:
    case kActionDisconnectHotspotUser:
    case kActionDisconnectHotspotIp:
      return true;
    default:
      return false;
  }
}

bool RunLiveAction(Connection& connection, const ParsedCommand& command) {
  switch (command.action) {
    case kActionCardInfo:
      return ShowCardInfo(connection, command.device);
    case kActionAssociations:
      return ShowAssociations(connection, command.device, command.index);
    case kActionListPpp:
      return ListPppSessions(connection);
    case kActionListHotspot:
      return ListHotspotSessions(connection, command.simple_list);
    case kActionReceiveThroughput:
      ReceiveThroughput(connection);
      return true;
    case kActionTransmitThroughput:
      TransmitThroughput(connection);
      return true;
    case kActionDisconnectPpp:
    case kActionDisconnectHotspotUser:
      SendUserName(connection, command.user.value_or(""));
      return true;
    case kActionDisconnectHotspotIp:
      SendHotspotAddress(connection, command.hotspot_address);
      return true;
    default:
      return true;
  }
}

}  // namespace velkor
