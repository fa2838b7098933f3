#include "run.h"

#include <cstdio>

#include "actions.h"
#include "connection.h"
#include "console.h"
#include "login.h"
#include "socket.h"
#include "transfer.h"

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
  std::optional<std::uint32_t> value = ActionOf(command.action).prepare(command, text);
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
  const Action& action = ActionOf(command.action);
  RunOutput output;
  output.silent = command.silent;
  output.details = command.details;
  DownloadFile download(command.path.value_or(""));
  ActionWork work{connection, command, output, value, text, download};
  if (!action.exchange(work)) return 1;

  if (!connection.ReadReply()) return 1;
  if (download.isOpen() && !CommitDownload(download, command.path.value_or(""))) return 1;
  if (!output.silent && action.completed) action.completed(command);
  return 0;
}

}  // namespace velkor
