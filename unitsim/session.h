// One client connection from hello to the final reply: the login, the one
// request, and the action.  Whatever the client sends or fails to send,
// the session ends and writes one line to the request log.
#pragma once

#include <string>

#include "request_log.h"
#include "server_socket.h"
#include "unit.h"

namespace unitsim {

// The 25 bytes of text at the start of every hello.
inline constexpr const char* kHelloText = "unitsim management server";

// Serves the connection; does not close the socket.  listen is the
// "ADDRESS:PORT" the connection came in on.
void ServeConnection(Unit& unit, sock::Handle socket, const std::string& listen,
                     const std::string& peer, RequestLog& log);

}  // namespace unitsim
