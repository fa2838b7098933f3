#include "actions.h"

namespace unitsim {

const char* ActionName(std::uint8_t code) {
  switch (code) {
    case protocol::kActionNone: return "flags only";
    case protocol::kActionDownloadConfig: return "save";
    case protocol::kActionDownloadScript: return "save_script";
    case protocol::kActionUploadConfig: return "restore";
    case protocol::kActionUploadScript: return "restore_script";
    case protocol::kActionDownloadPage: return "dpage";
    case protocol::kActionUploadPage: return "upage";
    case protocol::kActionCardInfo: return "ci";
    case protocol::kActionAssociations: return "ai";
    case protocol::kActionListPpp: return "list_ppp";
    case protocol::kActionListHotspot: return "list_hot";
    case protocol::kActionReceiveThroughput: return "rx";
    case protocol::kActionTransmitThroughput: return "tx";
    case protocol::kActionDisconnectPpp: return "dis_ppp";
    case protocol::kActionDisconnectHotspotUser: return "dis_hot_user";
    case protocol::kActionDisconnectHotspotIp: return "dis_hot_ip";
    case protocol::kActionSystemInfo: return "sysinfo";
    case protocol::kActionKernelLog: return "kernlog";
    case protocol::kActionSupportFile: return "support";
    case protocol::kActionFirmware: return "upgrade";
    default: return "unknown";
  }
}

namespace {

Outcome Run(ActionContext& context) {
  switch (context.request.action) {
    case protocol::kActionNone:
      return HandleFlagsOnly(context);
    case protocol::kActionSystemInfo:
    case protocol::kActionKernelLog:
      return HandleReport(context);
    case protocol::kActionDownloadConfig:
    case protocol::kActionDownloadScript:
    case protocol::kActionDownloadPage:
    case protocol::kActionSupportFile:
      return HandleDownload(context);
    case protocol::kActionUploadConfig:
    case protocol::kActionUploadScript:
    case protocol::kActionUploadPage:
      return HandleUpload(context);
    case protocol::kActionFirmware:
      return HandleFirmware(context);
    case protocol::kActionCardInfo:
      return HandleCardInfo(context);
    case protocol::kActionAssociations:
      return HandleAssociations(context);
    case protocol::kActionListPpp:
      return HandlePppList(context);
    case protocol::kActionListHotspot:
      return HandleHotspotList(context);
    case protocol::kActionDisconnectPpp:
    case protocol::kActionDisconnectHotspotUser:
    case protocol::kActionDisconnectHotspotIp:
      return HandleDisconnect(context);
    case protocol::kActionReceiveThroughput:
      return HandleThroughputToClient(context);
    case protocol::kActionTransmitThroughput:
      return HandleThroughputFromClient(context);
    default:
      return HandleUnsupported(context);
  }
}

// The flags take effect after the action, once the final reply is out.
void CarryOutFlags(ActionContext& context) {
  const std::uint8_t flags = context.request.flags;
  if (flags & protocol::kOptionApply) context.notes.push_back("apply");
  if (flags & protocol::kOptionReboot) {
    std::uint32_t seconds = context.unit.description.settings.rebootSeconds;
    context.unit.state.Reboot(seconds);
    context.notes.push_back("reboot (" + std::to_string(seconds) + " s down)");
  }
}

}  // namespace

Outcome Dispatch(ActionContext& context) {
  if (Run(context) != Outcome::kFinish) return Outcome::kClose;
  if (!context.channel.SendReply(protocol::kStatusOk)) {
    context.notes.push_back("final reply not delivered");
    return Outcome::kClose;
  }
  context.notes.push_back("final status 1");
  CarryOutFlags(context);
  return Outcome::kFinish;
}

Outcome HandleUnsupported(ActionContext& context) {
  context.notes.push_back("status 4 (not supported)");
  context.channel.SendReply(protocol::kStatusNotSupported);
  return Outcome::kClose;
}

}  // namespace unitsim
