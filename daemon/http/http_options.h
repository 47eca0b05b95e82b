// The web face's settings: where it serves, its password, HTTPS, and the names it is reached by.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "daemon/core/setting_row.h"
#include "daemon/core/setting_values.h"

namespace pv7100::daemon {

// Off while its address's host is ""; its own password file (else PJLink's), its TLS certificate
// and key (PEM files), and the names it is reached by besides its address.
struct HttpOptions {
  ListenAddress address;
  std::string passwordFile;
  std::string certificate;
  std::string key;
  std::vector<std::string> names;
};

std::span<const SettingRow<HttpOptions>> httpSettingRows();

}  // namespace pv7100::daemon
