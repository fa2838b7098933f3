#include "run.h"

#include <cstdio>

#include "connection.h"
#include "console.h"
#include "firmware.h"
#include "frames.h"
#include "localfile.h"
#include "login.h"
#include "reports.h"
#include "socket.h"
#include "switches.h"
#include "throughput.h"
#include "transfer.h"
#include "user_sessions.h"
#include "wireless.h"

namespace velkor {

using namespace protocol;

namespace {

bool StartSockets() {
  net::StartResult started = net::Start();
  if (!started.started) {
    std::printf("Could not find a useable Winsock\n");
    return false;
  }
  if (started.major != 2 || started.minor != 2) {
    std::printf("Your WinSock version (%d.%d) is too old. Need v2.2 or later.\n", started.major,
                started.minor);
    net::Stop();
    return false;
  }
  return true;
}

// Stops the socket library on every way out of the run.
struct SocketsScope {
  ~SocketsScope() { net::Stop(); }
};

// Local preparation before connecting; gives the request's value.  A
// script or page is read into `text`.
std::optional<std::uint32_t> Prepare(const ParsedCommand& command, std::string& text) {
  const std::string path = command.path.value_or("");
  switch (command.action) {
    case kActionUploadConfig:
    case kActionFirmware:
      return PrepareUpload(path, nullptr);
    case kActionUploadScript:
    case kActionUploadPage:
      return PrepareUpload(path, &text);
    case kActionAssociations:
      return command.index;
    default:
      return 0;
  }
}

// The action's own exchange between the first and the final reply.  False
// ends the run without the final reply; the throughput loops and the
// disconnect messages leave it to the final reply to tell how they went.
bool RunExchange(Connection& connection, const ParsedCommand& command, std::uint32_t value,
                 std::string_view text, DownloadFile& download) {
  const std::string path = command.path.value_or("");
  switch (command.action) {
    case kActionDownloadConfig:
    case kActionDownloadScript:
    case kActionDownloadPage:
    case kActionSupportFile:
      return ReceiveFile(connection, path, download);
    case kActionUploadConfig:
      return SendFile(connection, path, value);
    case kActionUploadScript:
    case kActionUploadPage:
      return SendText(connection, path, text);
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
    case kActionSystemInfo:
    case kActionKernelLog:
      return PrintReport(connection);
    case kActionFirmware:
      return UploadFirmware(connection, path, value, (command.flags & kOptionApply) != 0);
    default:  // only apply and/or reboot
      return true;
  }
}

}  // namespace

int RunCommand(const ParsedCommand& command) {
  std::string password;
  if (command.password) {
    password = *command.password;
  } else {
    std::optional<std::string> typed = PromptPassword("Enter password: ");
    if (!typed) {
      std::printf(
          "There is no terminal to ask for the password on: give it on the command line.\n");
      return 1;
    }
    password = *typed;
  }

  if (!StartSockets()) return 1;
  SocketsScope sockets;

  std::optional<std::uint32_t> address = ResolveHost(command.server.c_str());
  if (!address) {
    std::printf("unable to resolve address\n");
    return 1;
  }

  std::string text;  // a script or page to upload
  std::optional<std::uint32_t> value = Prepare(command, text);
  if (!value) return 1;

  net::OwnedSocket socket = OpenConnection(*address, command.port);
  if (!socket) {
    std::printf("Failed to connect to server\n");
    return 1;
  }
  Connection connection(socket.get());
  return RunSession(connection, command, password, *value, text);
}

int RunSession(Connection& connection, const ParsedCommand& command, const std::string& password,
               std::uint32_t value, std::string_view text) {
  if (!Login(connection, password)) return 1;

  if (!connection.SendRequest(command.action, value, command.selector, command.flags,
                              command.device))
    return 1;
  if (!connection.ReadReply()) return 1;

  // A download is put in place only after the final reply: a run that
  // fails leaves the earlier file as it was.
  DownloadFile download(command.path.value_or(""));
  if (!RunExchange(connection, command, value, text, download)) return 1;

  if (!connection.ReadReply()) return 1;
  if (download.is_open() && !CommitDownload(download, command.path.value_or(""))) return 1;
  if (!SilentMode() && command.action != kActionCardInfo &&
      command.action != kActionAssociations && command.action != kActionListPpp) {
    std::printf("Operation has completed successfuly.\n");
    if (command.action == kActionFirmware && !(command.flags & kOptionApply))
      std::printf("Please select the 'Upgrade Firmware' option on the server to finish.\n");
  }
  return 0;
}

}  // namespace velkor
