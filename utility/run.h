// One run of velkor after a complete command line: password, resolve,
// prepare, connect, log in, one request, its exchange, the final reply.
#pragma once

#include "cmdline.h"

namespace velkor {

// Gives the process exit code: 0 after a successful final reply, 1 for
// every failure (its message already printed).
int RunCommand(const ParsedCommand& command);

}  // namespace velkor
