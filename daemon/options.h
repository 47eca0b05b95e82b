// pv7100d's settings: the config file, then the command line over it.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <sys/un.h>

namespace pv7100::daemon {

inline constexpr std::string_view kDefaultConfig = "/etc/pv7100/pv7100d.conf";
// The local socket's folder; the socket is named for the config file: hall.conf, hall.sock.
inline constexpr std::string_view kSocketDirectory = "/run/pv7100";
// The longest path a local socket's address holds (sun_path, without its terminating zero).
inline constexpr std::size_t kMaxSocketPath = sizeof(sockaddr_un{}.sun_path) - 1;

// Bad arguments or a bad config file; what() says which and why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string configFile{kDefaultConfig};
  std::string port;
  int baud = 19200;
  std::string listenHost = "127.0.0.1";
  int listenPort = 4352;
  std::string name = "PV7100";
  std::string manufacturer = "QUIVA";
  std::string passwordFile;
  bool openNetwork = false;  // listening beyond loopback without a password is allowed
  std::string logFile;
  std::string socket;  // the local socket; from the config file's name when not given
  int maxClients = 64;
  // PJLink Class 2 on UDP: searches come in on pjlinkUdpPort, answers and notifications go to
  // the controllers' pjlinkControllerPort; off with pjlink-search = no.
  bool pjlinkSearch = true;
  int pjlinkUdpPort = 4352;
  int pjlinkControllerPort = 4352;
  int replyTimeoutMs = 1000;
  int pollMs = 10'000;
  int busyPollMs = 1000;
  // The web face: off while httpHost is ""; its own password file (else PJLink's), its TLS
  // certificate and key (PEM files), and the names it is reached by besides its address.
  std::string httpHost;
  int httpPort = 0;
  std::string httpPasswordFile;
  std::string httpCertificate;
  std::string httpKey;
  std::vector<std::string> httpNames;
  // The details (temperatures, pressure, lamp mode, reversal), read while a face shows them.
  int detailPollMs = 60'000;
  // MQTT, on when mqttHost is set; port 0 is 1883, or 8883 with a CA file (TLS).
  std::string mqttHost;
  int mqttPort = 0;
  std::string mqttId;     // from the config file's name, else the name
  std::string mqttTopic;  // pv7100/ID when not given
  std::string mqttUsername;
  std::string mqttPasswordFile;
  std::string mqttCaFile;
  std::string mqttDiscoveryPrefix = "homeassistant";  // "" for none
  bool mqttWithdraw = false;                          // take the retained messages away and exit
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
