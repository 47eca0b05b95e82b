// The simulator's poll loop: reads command lines from the serial line, answers them through the
// projector model and the reply shaping, and writes the replies when they fall due.
#pragma once

#include <ostream>

#include "sim/options.h"
#include "sim/serial_line.h"

namespace pv7100::sim {

// Serves until `stopFd` becomes readable, or standard input closes when the options ask for
// that. Logs to `log` when verbose. Throws std::system_error when the line fails.
void serve(const Options& options, const SerialLine& line, int stopFd, std::ostream& log);

}  // namespace pv7100::sim
