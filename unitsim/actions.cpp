#include "actions.h"

namespace unitsim {

const char* ActionName(std::uint8_t code) {
  switch (code) {
    case velkor::kActionNone: return "flags only";
    case velkor::kActionDownloadConfig: return "save";
    case velkor::kActionDownloadScript: return "save_script";
    case velkor::kActionUploadConfig: return "restore";
    case velkor::kActionUploadScript: return "restore_script";
    case velkor::kActionDownloadPage: return "dpage";
    case velkor::kActionUploadPage: return "upage";
    case velkor::kActionCardInfo: return "ci";
    case velkor::kActionAssociations: return "ai";
    case velkor::kActionListPpp: return "list_ppp";
    case velkor::kActionListHotspot: return "list_hot";
    case velkor::kActionReceiveThroughput: return "rx";
    case velkor::kActionTransmitThroughput: return "tx";
    case velkor::kActionDisconnectPpp: return "dis_ppp";
    case velkor::kActionDisconnectHotspotUser: return "dis_hot_user";
    case velkor::kActionDisconnectHotspotIp: return "dis_hot_ip";
    case velkor::kActionSystemInfo: return "sysinfo";
    case velkor::kActionKernelLog: return "kernlog";
    case velkor::kActionSupportFile: return "support";
    case velkor::kActionFirmware: return "upgrade";
    default: return "unknown";
  }
}

namespace {

Outcome Run(ActionContext& context) {
  switch (context.request.action) {
    case velkor::kActionNone:
      return HandleFlagsOnly(context);
    case velkor::kActionSystemInfo:
    case velkor::kActionKernelLog:
      return HandleReport(context);
    case velkor::kActionDownloadConfig:
    case velkor::kActionDownloadScript:
    case velkor::kActionDownloadPage:
    case velkor::kActionSupportFile:
      return HandleDownload(context);
    case velkor::kActionUploadConfig:
    case velkor::kActionUploadScript:
    case velkor::kActionUploadPage:
      return HandleUpload(context);
    case velkor::kActionFirmware:
      return HandleFirmware(context);
    case velkor::kActionCardInfo:
      return HandleCardInfo(context);
    case velkor::kActionAssociations:
      return HandleAssociations(context);
    case velkor::kActionListPpp:
      return HandlePppList(context);
    case velkor::kActionListHotspot:
      return HandleHotspotList(context);
    case velkor::kActionDisconnectPpp:
    case velkor::kActionDisconnectHotspotUser:
    case velkor::kActionDisconnectHotspotIp:
      return HandleDisconnect(context);
    case velkor::kActionReceiveThroughput:
      return HandleThroughputToClient(context);
    case velkor::kActionTransmitThroughput:
      return HandleThroughputFromClient(context);
    default:
      return HandleUnsupported(context);
  }
}

// The flags take effect after the action, once the final reply is out.
void CarryOutFlags(ActionContext& context) {
  const std::uint8_t flags = context.request.flags;
  if (flags & velkor::kOptionApply) context.notes.push_back("apply");
  if (flags & velkor::kOptionReboot) {
    std::uint32_t seconds = context.unit.description.settings.reboot_seconds;
    context.unit.state.Reboot(seconds);
    context.notes.push_back("reboot (" + std::to_string(seconds) + " s down)");
  }
}

}  // namespace

Outcome Dispatch(ActionContext& context) {
  if (Run(context) != Outcome::kFinish) return Outcome::kClose;
  if (!context.channel.SendReply(velkor::kStatusOk)) {
    context.notes.push_back("final reply not delivered");
    return Outcome::kClose;
  }
  context.notes.push_back("final status 1");
  CarryOutFlags(context);
  return Outcome::kFinish;
}

Outcome HandleUnsupported(ActionContext& context) {
  context.notes.push_back("status 4 (not supported)");
  context.channel.SendReply(velkor::kStatusNotSupported);
  return Outcome::kClose;
}

}  // namespace unitsim
