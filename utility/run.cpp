#include "run.h"

#include <cstdio>

#include "connection.h"
#include "console.h"
#include "file_actions.h"
#include "frames.h"
#include "localfile.h"
#include "login.h"
#include "reports.h"
#include "socket.h"
#include "switches.h"
#include "live_actions.h"

namespace velkor {

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

// Releases the script or page text on every way out of the run.
struct TextBufferScope {
  ~TextBufferScope() { ReleaseTextBuffer(); }
};

enum class Exchange { kOk, kFailed };

// The action's own exchange between the first and the final reply.
Exchange RunExchange(Connection& connection, const ParsedCommand& command, std::uint32_t value) {
  if (IsLiveAction(command.action))
    return RunLiveAction(connection, command) ? Exchange::kOk : Exchange::kFailed;
  switch (command.action) {
    case kActionSystemInfo:
    case kActionKernelLog:
      return PrintReport(connection) ? Exchange::kOk : Exchange::kFailed;
    default:
      if (IsFileAction(command.action))
        return RunFileAction(connection, command.action, command.path.value_or(""), value,
                             command.flags)
                   ? Exchange::kOk
                   : Exchange::kFailed;
      return Exchange::kOk;
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

  TextBufferScope text_buffer;
  std::uint32_t value = command.action == kActionAssociations ? command.index : 0;
  if (IsFileAction(command.action)) {
    std::optional<std::uint32_t> prepared =
        PrepareFileAction(command.action, command.path.value_or(""));
    if (!prepared) return 1;
    value = *prepared;
  }

  net::Socket socket = OpenConnection(*address, command.port);
  if (socket == net::kNoSocket) {
    std::printf("Failed to connect to server\n");
    return 1;
  }
  Connection connection(socket);
  if (!Login(connection, password)) return 1;

  if (!connection.SendRequest(command.action, value, command.selector, command.flags,
                              command.device))
    return 1;
  if (!connection.ReadReply()) return 1;

  if (RunExchange(connection, command, value) == Exchange::kFailed) return 1;

  if (!connection.ReadReply()) return 1;
  if (!SilentMode() && command.action != kActionCardInfo &&
      command.action != kActionAssociations && command.action != kActionListPpp) {
    std::printf("Operation has completed successfuly.\n");
    if (command.action == kActionFirmware && !(command.flags & kOptionApply))
      std::printf("Please select the 'Upgrade Firmware' option on the server to finish.\n");
  }
  return 0;
}

}  // namespace velkor
