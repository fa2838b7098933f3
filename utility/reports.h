// The two reports the server composes: the system information (-sysinfo)
// and the kernel log (-kernlog).  Their text is copied to standard output
// unchanged as it arrives; the device manager reads it from there.
#pragma once

#include "connection.h"
#include "run_output.h"

namespace velkor {

// Reads DataBlocks totalling the announced value and prints them.  A block
// that would go past the announced total counts as a broken connection.
bool PrintReport(Connection& connection, const RunOutput& output);

}  // namespace velkor
