// The web face's settings: where it serves, its password, HTTPS, and the names it is reached by.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "daemon/core/setting_row.h"

namespace pv7100::daemon {

// Off while host is ""; its own password file (else PJLink's), its TLS certificate and key
// (PEM files), and the names it is reached by besides its address.
struct HttpOptions {
  std::string host;
  int port = 0;
  std::string passwordFile;
  std::string certificate;
  std::string key;
  std::vector<std::string> names;
};

std::span<const SettingRow<HttpOptions>> httpSettingRows();

}  // namespace pv7100::daemon
