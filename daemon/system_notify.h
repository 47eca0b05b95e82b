// Tells systemd, when it started the daemon as a notify service, that the daemon is ready and
// that it is stopping. Outside systemd these say nothing.
#pragma once

#include <string_view>

namespace pv7100::daemon {

void notifyReady(std::string_view status);
void notifyStopping();

}  // namespace pv7100::daemon
