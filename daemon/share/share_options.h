// The local socket's setting: where the line is shared with the panel and pv7100ctl.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include <sys/un.h>

#include "daemon/core/setting_row.h"

namespace pv7100::daemon {

// The local socket's folder; the socket is named for the config file: hall.conf, hall.sock.
inline constexpr std::string_view kSocketDirectory = "/run/pv7100";
// The longest path a local socket's address holds (sun_path, without its terminating zero).
inline constexpr std::size_t kMaxSocketPath = sizeof(sockaddr_un{}.sun_path) - 1;

struct ShareOptions {
  std::string socket;  // from the config file's name when not given
};

std::span<const SettingRow<ShareOptions>> shareSettingRows();

// The local socket's path made absolute (Qt would take a relative one from its temporary
// folder), and short enough for a local socket's address. Throws UsageError.
std::string socketPath(const std::string& shownAs, const std::string& value);

}  // namespace pv7100::daemon
