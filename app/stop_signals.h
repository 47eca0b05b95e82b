// SIGINT and SIGTERM end the panel as "END" does, from its event loop: the handler only writes
// the signal to a pipe, which the loop watches.
#pragma once

#include <functional>

namespace pv7100 {

// From now on a stop signal calls `end` in the event loop. Needs the application object.
void endOnStopSignals(std::function<void()> end);

}  // namespace pv7100
