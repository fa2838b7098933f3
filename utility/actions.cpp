#include "actions.h"

#include <cstdio>

#include "firmware.h"
#include "frames.h"
#include "reports.h"
#include "throughput.h"
#include "transfer.h"
#include "user_sessions.h"
#include "wireless.h"

namespace velkor {

using namespace protocol;

namespace {

std::string PathOf(const ParsedCommand& command) { return command.path.value_or(""); }

// ---- preparations: the request's value ------------------------------------

std::optional<std::uint32_t> Nothing(const ParsedCommand&, std::string&) { return 0; }

std::optional<std::uint32_t> FileSize(const ParsedCommand& command, std::string&) {
  return PrepareUpload(PathOf(command), nullptr);
}

std::optional<std::uint32_t> TextSize(const ParsedCommand& command, std::string& text) {
  return PrepareUpload(PathOf(command), &text);
}

std::optional<std::uint32_t> AssociationIndex(const ParsedCommand& command, std::string&) {
  return command.index;
}

// ---- exchanges --------------------------------------------------------------

bool NoExchange(ActionWork&) { return true; }

bool Download(ActionWork& w) {
  return ReceiveFile(w.connection, PathOf(w.command), w.download, w.output);
}

bool UploadFile(ActionWork& w) {
  return SendFile(w.connection, PathOf(w.command), w.value, w.output);
}

bool UploadText(ActionWork& w) {
  return SendText(w.connection, PathOf(w.command), w.text, w.output);
}

bool CardInfo(ActionWork& w) { return ShowCardInfo(w.connection, w.command.device); }

bool Associations(ActionWork& w) {
  return ShowAssociations(w.connection, w.command.device, w.command.index, w.output.details);
}

bool PppList(ActionWork& w) { return ListPppSessions(w.connection); }

bool HotspotList(ActionWork& w) { return ListHotspotSessions(w.connection, w.command.simpleList); }

bool Receive(ActionWork& w) {
  ReceiveThroughput(w.connection);
  return true;
}

bool Transmit(ActionWork& w) {
  TransmitThroughput(w.connection);
  return true;
}

bool DisconnectUser(ActionWork& w) {
  SendUserName(w.connection, w.command.user.value_or(""));
  return true;
}

bool DisconnectAddress(ActionWork& w) {
  SendHotspotAddress(w.connection, w.command.hotspotAddress);
  return true;
}

bool Report(ActionWork& w) { return PrintReport(w.connection, w.output); }

bool Firmware(ActionWork& w) {
  return UploadFirmware(w.connection, PathOf(w.command), w.value,
                        (w.command.flags & kOptionApply) != 0, w.output);
}

// ---- what a completed action says ------------------------------------------

void Completed(const ParsedCommand&) { std::printf("Operation has completed successfuly.\n"); }

// An image sent without -a waits for the operator on the server.
void FirmwareCompleted(const ParsedCommand& command) {
  Completed(command);
  if (!(command.flags & kOptionApply)) {
    std::printf("Please select the 'Upgrade Firmware' option on the server to finish.\n");
  }
}

constexpr Action kActions[] = {
    {kActionNone, Nothing, NoExchange, Completed},
    {kActionDownloadConfig, Nothing, Download, Completed},
    {kActionDownloadScript, Nothing, Download, Completed},
    {kActionDownloadPage, Nothing, Download, Completed},
    {kActionSupportFile, Nothing, Download, Completed},
    {kActionUploadConfig, FileSize, UploadFile, Completed},
    {kActionUploadScript, TextSize, UploadText, Completed},
    {kActionUploadPage, TextSize, UploadText, Completed},
    {kActionCardInfo, Nothing, CardInfo, nullptr},
    {kActionAssociations, AssociationIndex, Associations, nullptr},
    {kActionListPpp, Nothing, PppList, nullptr},
    {kActionListHotspot, Nothing, HotspotList, Completed},
    {kActionReceiveThroughput, Nothing, Receive, Completed},
    {kActionTransmitThroughput, Nothing, Transmit, Completed},
    {kActionDisconnectPpp, Nothing, DisconnectUser, Completed},
    {kActionDisconnectHotspotUser, Nothing, DisconnectUser, Completed},
    {kActionDisconnectHotspotIp, Nothing, DisconnectAddress, Completed},
    {kActionSystemInfo, Nothing, Report, Completed},
    {kActionKernelLog, Nothing, Report, Completed},
    {kActionFirmware, FileSize, Firmware, FirmwareCompleted},
};

}  // namespace

const Action& ActionOf(std::uint8_t code) {
  for (const Action& action : kActions) {
    if (action.code == code) return action;
  }
  return kActions[0];
}

}  // namespace velkor
