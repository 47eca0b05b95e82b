// The UDP face's settings: searches answered and changes told, on which ports.
#pragma once

#include <span>

#include "daemon/core/setting_row.h"

namespace pv7100::daemon {

// Searches come in on udpPort, answers and notifications go to the controllers'
// controllerPort; off with pjlink-search = no.
struct UdpOptions {
  bool search = true;
  int udpPort = 4352;
  int controllerPort = 4352;
};

std::span<const SettingRow<UdpOptions>> udpSettingRows();

}  // namespace pv7100::daemon
