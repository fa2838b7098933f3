// One client connection from hello to the final reply: the login, the one
// request, and the action.  Whatever the client sends or fails to send,
// the session ends and writes one line to the request log.
#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "request_log.h"
#include "server_socket.h"
#include "unit.h"

namespace unitsim {

// The 25 bytes of text at the start of every hello.
inline constexpr const char* kHelloText = "unitsim management server";

// How long a client may take: to complete its login, counted from the
// connection; and for each message after it (a request, a block, a
// disconnect message) to arrive in full.  A client that sends nothing, or
// one byte now and then, is dropped when its time is up.
struct SessionLimits {
  std::chrono::milliseconds login{60000};
  std::chrono::milliseconds idle{60000};
};

// Serves the connection; does not close the socket.  listen is the
// "ADDRESS:PORT" the connection came in on.  logged_in, when given, is set
// once the client's password was accepted.
void ServeConnection(Unit& unit, sock::Handle socket, const std::string& listen,
                     const std::string& peer, RequestLog& log, const SessionLimits& limits = {},
                     std::atomic<bool>* loggedIn = nullptr);

}  // namespace unitsim
