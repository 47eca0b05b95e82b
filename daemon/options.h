// pv7100d's settings: the config file, then the command line over it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "daemon/core/core_options.h"
#include "daemon/http/http_options.h"
#include "daemon/mqtt/mqtt_options.h"
#include "daemon/pjlink/pjlink_options.h"
#include "daemon/pjlink_udp/udp_options.h"
#include "daemon/share/share_options.h"

namespace pv7100::daemon {

inline constexpr std::string_view kDefaultConfig = "/etc/pv7100/pv7100d.conf";

// Each part's settings, as its rows in the settings table take them.
struct Options {
  std::string configFile{kDefaultConfig};
  CoreOptions core;
  PjlinkOptions pjlink;
  UdpOptions udp;
  ShareOptions share;
  HttpOptions http;
  MqttOptions mqtt;
  bool mqttWithdraw = false;  // take the retained messages away and exit
  bool help = false;
  bool version = false;
};

// One "key = value" line of a config file.
struct ConfigEntry {
  std::string key;
  std::string value;
  int line = 0;
};

// Reads an INI text: "key = value" lines; blank lines, lines starting with "#" or ";" and
// section headers are skipped, a "#" or ";" after a blank starts a comment, and a UTF-8
// byte-order mark at the start is skipped. Throws UsageError, naming the line, for any other
// line and for a key given twice.
std::vector<ConfigEntry> parseConfig(std::string_view text);

// The options from `args` (without the program name) over the config file they name, or the
// default one when it exists. `readFile` gives a file's text, nullopt when no file is there;
// it throws UsageError for a file that is there but cannot be read. Throws UsageError.
Options loadOptions(const std::vector<std::string>& args,
                    std::optional<std::string> (*readFile)(const std::string& path));

std::string usageText();

}  // namespace pv7100::daemon
