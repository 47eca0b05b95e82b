#include "daemon/system_notify.h"

#include <string>

#include <systemd/sd-daemon.h>

namespace pv7100::daemon {

void notifyReady(std::string_view status) {
  sd_notify(0, ("READY=1\nSTATUS=" + std::string(status)).c_str());
}

void notifyStopping() {
  sd_notify(0, "STOPPING=1");
}

}  // namespace pv7100::daemon
