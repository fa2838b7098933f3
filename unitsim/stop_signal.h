// Waiting for the signals that stop the simulator (SIGINT, SIGTERM).
#pragma once

namespace unitsim {

// Holds the stop signals back from every thread started afterwards, so that
// only WaitForStopSignal sees them.  Call before any thread starts.
void HoldStopSignals();
// Blocks until a stop signal arrives.
void WaitForStopSignal();

}  // namespace unitsim
