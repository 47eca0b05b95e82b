// The core's settings: the port and its line, the traffic log, the reply time-out and the
// polls, and the one rule every network face follows beyond loopback.
#pragma once

#include <span>
#include <string>

#include "daemon/core/setting_row.h"

namespace pv7100::daemon {

struct CoreOptions {
  std::string port;
  int baud = 19200;
  std::string logFile;
  int replyTimeoutMs = 1000;
  int pollMs = 10'000;
  int busyPollMs = 1000;
  // The details (temperatures, pressure, lamp mode, reversal), read while a face shows them.
  int detailPollMs = 60'000;
  bool openNetwork = false;  // listening beyond loopback without a password is allowed
};

std::span<const SettingRow<CoreOptions>> coreSettingRows();

}  // namespace pv7100::daemon
