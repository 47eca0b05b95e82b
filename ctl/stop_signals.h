// SIGINT and SIGTERM end pv7100ctl by unwinding, so that the port is closed (its lock file
// removed) and what was read so far is printed. The signals are blocked and taken from a
// descriptor that the waits on the port watch alongside it.
#pragma once

namespace pv7100::ctl {

// A stop signal came; the program ends with 128 + signal.
struct Stopped {
  int signal;
};

// Blocks SIGINT and SIGTERM and opens the descriptor that receives them.
void catchStopSignals();
// That descriptor, -1 before catchStopSignals().
int stopSignalDescriptor();
// Throws Stopped when a stop signal is waiting.
void checkStopSignals();

}  // namespace pv7100::ctl
