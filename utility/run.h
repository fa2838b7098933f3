// One run of velkor after a complete command line: password, resolve,
// prepare, connect, log in, one request, its exchange, the final reply.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cmdline.h"
#include "connection.h"

namespace velkor {

// Gives the process exit code: 0 after a successful final reply, 1 for
// every failure (its message already printed).
int RunCommand(const ParsedCommand& command);

// The part of the run on an open connection: login, the request, its
// exchange and the final reply.  value is what the request announces and
// text a script or page to upload (both from the local preparation).
int RunSession(Connection& connection, const ParsedCommand& command, const std::string& password,
               std::uint32_t value, std::string_view text);

}  // namespace velkor
