// The PJLink face's settings: where clients connect, the password, the projector's name and
// maker as NAME and INF1 answer them, and how many clients at once.
#pragma once

#include <span>
#include <string>

#include "daemon/core/setting_row.h"
#include "daemon/core/setting_values.h"
#include "daemon/pjlink/bounds.h"

namespace pv7100::daemon {

struct PjlinkOptions {
  ListenAddress listen{"127.0.0.1", 4352};
  std::string name = "PV7100";
  std::string manufacturer = "QUIVA";
  std::string passwordFile;
  int maxClients = kDefaultMaxClients;
};

std::span<const SettingRow<PjlinkOptions>> pjlinkSettingRows();

}  // namespace pv7100::daemon
