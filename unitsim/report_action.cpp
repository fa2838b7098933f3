// Actions 64 and 65: the server announces the report's length in its first
// reply, then sends the text in DataBlocks.
#include "actions.h"
#include "block_stream.h"
#include "report.h"

namespace unitsim {

Outcome HandleReport(ActionContext& context) {
  // A server too old for the reports answers as to any unknown action.
  if (context.unit.description.settings.oldServer) return HandleUnsupported(context);
  ReportKind kind = context.request.action == protocol::kActionSystemInfo ? ReportKind::kSystemInfo
                                                                        : ReportKind::kKernelLog;
  std::string text = ComposeReport(context.unit, kind);
  auto length = static_cast<std::uint32_t>(text.size());
  context.notes.push_back("status 1, report " + std::to_string(length) + " bytes");
  if (!context.channel.SendReply(protocol::kStatusOk, length) ||
      !SendTextBlocks(context.channel, text)) {
    context.notes.push_back("connection broken during the report");
    return Outcome::kClose;
  }
  return Outcome::kFinish;
}

}  // namespace unitsim
