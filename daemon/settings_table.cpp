#include "daemon/settings_table.h"

#include <array>
#include <charconv>
#include <cstring>
#include <filesystem>

#include <arpa/inet.h>
#include <netinet/in.h>

#include "daemon/pjlink/answers.h"

namespace pv7100::daemon {

std::string trimmed(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t\r");
  return std::string(text.substr(begin, end - begin + 1));
}

std::string socketPath(const std::string& shownAs, const std::string& value) {
  if (value.empty()) throw UsageError(shownAs + " takes a path, such as /run/pv7100/hall.sock");
  std::error_code error;
  const std::string path = std::filesystem::absolute(value, error).lexically_normal().string();
  if (error) throw UsageError(shownAs + " " + value + ": " + error.message());
  if (path.size() > kMaxSocketPath)
    throw UsageError(shownAs + " " + path + " is " + std::to_string(path.size()) +
                     " bytes long; a local socket's path can be at most " +
                     std::to_string(kMaxSocketPath));
  return path;
}

namespace {

// `shownAs` names the setting in messages as the user gave it: "--listen" on the command line,
// "listen" in the config file (whose name and line number go before it).
int number(const std::string& shownAs, const std::string& text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < low || value > high)
    throw UsageError(shownAs + " takes a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + text + "\"");
  return value;
}

std::string printableText(const std::string& shownAs, const std::string& text, std::size_t most) {
  if (text.empty() || text.size() > most)
    throw UsageError(shownAs + " takes 1 to " + std::to_string(most) + " characters");
  for (const char c : text) {
    if (c < ' ' || c > '~') throw UsageError(shownAs + " takes printable ASCII characters only");
  }
  return text;
}

// `host` as the daemon listens on it. An IPv4-mapped IPv6 address ("::ffff:127.0.0.1") is the
// IPv4 address it maps, which the loopback rule then applies to: Qt cannot listen on one.
std::string listenAddress(const std::string& shownAs, const std::string& host) {
  const bool whole = host.find('\0') == std::string::npos;  // c_str() would cut it short
  in_addr v4{};
  if (whole && ::inet_pton(AF_INET, host.c_str(), &v4) == 1) return host;
  in6_addr v6{};
  const std::string bare = host.substr(0, host.find('%'));  // without a scope: "fe80::1%eth0"
  if (!whole || ::inet_pton(AF_INET6, bare.c_str(), &v6) != 1)
    throw UsageError(shownAs + ": \"" + host + "\" is not an IP address");
  if (!IN6_IS_ADDR_V4MAPPED(&v6)) return host;
  std::memcpy(&v4, &v6.s6_addr[12], sizeof v4);
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &v4, text, sizeof text);
  return text;
}

// "ADDRESS:PORT", the address of IPv6 in brackets: "127.0.0.1:4352", "[::1]:4352".
// The port an example in a message gives: PJLink's, or the web page's.
std::string examplePort(const std::string& shownAs) {
  return shownAs.ends_with("http") ? "8080" : "4352";
}

void applyAddress(const std::string& shownAs, const std::string& value, std::string& listenHost,
                  int& listenPort) {
  const std::size_t colon = value.rfind(':');
  std::string host = colon == std::string::npos ? "" : value.substr(0, colon);
  const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
  if (bracketed) host = host.substr(1, host.size() - 2);
  if (host.empty())
    throw UsageError(shownAs + " takes ADDRESS:PORT, such as 127.0.0.1:" + examplePort(shownAs) +
                     " or [::1]:" + examplePort(shownAs) + ", not \"" + value + "\"");
  if (!bracketed && host.find(':') != std::string::npos)
    throw UsageError(shownAs + ": an IPv6 address goes in brackets, as in [::1]:" +
                     examplePort(shownAs) + ", not \"" + value + "\"");
  listenHost = listenAddress(shownAs, host);
  listenPort = number(shownAs + ": the port", value.substr(colon + 1), 1, 65535);
}

// "projector.example.org, hall-a": names by which the web face is reached.
std::vector<std::string> hostNames(const std::string& key, const std::string& value) {
  std::vector<std::string> names;
  std::string_view rest = value;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    names.push_back(printableText(key, trimmed(rest.substr(0, comma)), 253));
    rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
  }
  return names;
}

// "HOST[:PORT]", an IPv6 address in brackets: "broker.lan", "10.0.0.5:1883", "[::1]:8883".
void applyMqtt(Options& options, const std::string& shownAs, const std::string& value) {
  const std::size_t bracket = value.find(']');
  const std::size_t colon = value.find(':', bracket == std::string::npos ? 0 : bracket);
  std::string host = value.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  if (host.empty() || host.find_first_of(" []/") != std::string::npos ||
      (bracket == std::string::npos && colon != std::string::npos &&
       value.find(':', colon + 1) != std::string::npos))
    throw UsageError(shownAs + " takes HOST[:PORT], such as 127.0.0.1 or [::1]:1883, not \"" +
                     value + "\"");
  options.mqttHost = host;
  options.mqttPort = colon == std::string::npos
                         ? 0
                         : number(shownAs + ": the port", value.substr(colon + 1), 1, 65535);
}

// A topic to publish under: printable, no wildcards, no empty level, and no $ at the start
// (the broker's own topics, such as $SYS, which a wildcard filter never matches).
std::string topic(const std::string& shownAs, const std::string& value) {
  printableText(shownAs, value, 200);
  if (value.find_first_of("+# ") != std::string::npos || value.front() == '/' ||
      value.back() == '/' || value.find("//") != std::string::npos || value.front() == '$')
    throw UsageError(shownAs +
                     " takes a topic such as pv7100/hall: no +, # or blanks, no empty level "
                     "(no / at either end, no //), and no $ at the start");
  return value;
}

bool yesNo(const std::string& shownAs, const std::string& value) {
  if (value != "yes" && value != "no")
    throw UsageError(shownAs + " takes yes or no, not \"" + value + "\"");
  return value == "yes";
}

std::string file(const std::string& shownAs, const std::string& value) {
  if (value.empty()) throw UsageError(shownAs + " takes a file");
  return value;
}

using O = Options;
using S = const std::string&;

// In the order of the usage text: the command line's options, then the config file's own keys.
constexpr std::array kTable{
    Setting{"port", true, "DEVICE",
            "the projector's serial device, such as /dev/ttyUSB0, or tcp:HOST:PORT for a serial "
            "device server (ser2net in raw mode)",
            "core",
            [](O& o, S shownAs, S value) {
              if (value.empty())
                throw UsageError(shownAs + " takes a device, such as /dev/ttyUSB0");
              o.port = value;
            }},
    Setting{"baud", true, "19200|9600",
            "the line speed (default 19200); 8 data bits, no parity, 1 stop bit", "core",
            [](O& o, S shownAs, S value) {
              if (value != "19200" && value != "9600")
                throw UsageError(shownAs + " takes 19200 or 9600, not \"" + value + "\"");
              o.baud = value == "9600" ? 9600 : 19200;
            }},
    Setting{
        "listen", true, "ADDR:PORT",
        "where PJLink clients connect (default 127.0.0.1:4352; [::1]:4352 for IPv6; "
        "[::ffff:127.0.0.1] is taken as 127.0.0.1); an address beyond loopback needs a "
        "password, or allow-open-network = yes in the config file",
        "pjlink",
        [](O& o, S shownAs, S value) { applyAddress(shownAs, value, o.listenHost, o.listenPort); }},
    Setting{
        "name", true, "NAME", "the projector's name for PJLink's NAME query (default PV7100)",
        "pjlink",
        [](O& o, S shownAs, S value) { o.name = printableText(shownAs, value, kMaxNameLength); }},
    Setting{"password-file", true, "FILE",
            "the PJLink password, the first line of FILE, a regular file (at most 32 "
            "characters); never on the command line, where every user could read it",
            "pjlink", [](O& o, S, S value) { o.passwordFile = value; }},
    Setting{"socket", true, "PATH",
            "the local socket that shares the projector's line with the panel and pv7100ctl "
            "(default /run/pv7100/NAME.sock, NAME the config file's name without .conf), a path "
            "of at most 107 bytes; a socket there that no program serves is taken over, anything "
            "else refused",
            "share", [](O& o, S shownAs, S value) { o.socket = socketPath(shownAs, value); }},
    Setting{"log", true, "FILE",
            "append every line on the serial port and every PJLink request and reply to FILE; "
            "SIGHUP reopens it, for logrotate",
            "core", [](O& o, S, S value) { o.logFile = value; }},
    Setting{"http", true, "ADDR:PORT",
            "serve the remote page, the JSON API and the metrics there (such as "
            "127.0.0.1:8080); off by default. An address beyond loopback needs a password and "
            "HTTPS, or allow-open-network = yes",
            "http",
            [](O& o, S shownAs, S value) { applyAddress(shownAs, value, o.httpHost, o.httpPort); }},
    Setting{"http-password-file", true, "FILE",
            "the web page's password, the first line of FILE (at most 32 characters; default: "
            "PJLink's password-file, if set)",
            "http", [](O& o, S, S value) { o.httpPasswordFile = value; }},
    Setting{"http-certificate", true, "FILE",
            "HTTPS with this certificate (PEM), given with http-key", "http",
            [](O& o, S, S value) { o.httpCertificate = value; }},
    Setting{"http-key", true, "FILE", "HTTPS with this key (PEM), given with http-certificate",
            "http", [](O& o, S, S value) { o.httpKey = value; }},
    Setting{"http-names", true, "NAME[,NAME]...",
            "the names the page is reached by, besides IP addresses, localhost and this "
            "machine's name; other Host headers are refused",
            "http", [](O& o, S shownAs, S value) { o.httpNames = hostNames(shownAs, value); }},
    Setting{"mqtt", true, "HOST[:PORT]",
            "also serve the projector on this MQTT broker (port 1883, or 8883 with TLS; "
            "[::1]:1883 for IPv6)",
            "mqtt", [](O& o, S shownAs, S value) { applyMqtt(o, shownAs, value); }},
    Setting{"mqtt-topic", true, "TOPIC",
            "its base topic (default pv7100/ID, ID the config file's name without .conf, or "
            "without a config file the name in lower case)",
            "mqtt", [](O& o, S shownAs, S value) { o.mqttTopic = topic(shownAs, value); }},
    Setting{"mqtt-username", true, "USER",
            "log in to the broker as USER, with the password in mqtt-password-file", "mqtt",
            [](O& o, S shownAs, S value) { o.mqttUsername = printableText(shownAs, value, 256); }},
    Setting{"mqtt-ca-file", true, "FILE",
            "TLS: the broker's certificate is checked against the CA in FILE (PEM)", "mqtt",
            [](O& o, S shownAs, S value) { o.mqttCaFile = file(shownAs, value); }},
    Setting{"mqtt-discovery-prefix", true, "PREFIX",
            "Home Assistant's discovery prefix (default homeassistant; none for no discovery "
            "messages)",
            "mqtt",
            [](O& o, S shownAs, S value) {
              o.mqttDiscoveryPrefix = value == "none" ? "" : topic(shownAs, value);
            }},
    Setting{"pjlink-search", true, "yes|no",
            "answer PJLink searches and send the link-up and the notifications on UDP (default "
            "yes), where the PJLink clients connect: on loopback, only this machine's",
            "pjlink_udp", [](O& o, S shownAs, S value) { o.pjlinkSearch = yesNo(shownAs, value); }},
    Setting{"pjlink-udp-port", true, "PORT",
            "the UDP port searches come in on (default 4352; several daemons on one machine "
            "share it)",
            "pjlink_udp",
            [](O& o, S shownAs, S value) { o.pjlinkUdpPort = number(shownAs, value, 1, 65535); }},
    Setting{"pjlink-controller-port", true, "PORT",
            "the UDP port of the controllers, where the answers to searches, the link-up and the "
            "notifications go (default 4352)",
            "pjlink_udp",
            [](O& o, S shownAs, S value) {
              o.pjlinkControllerPort = number(shownAs, value, 1, 65535);
            }},
    Setting{
        "detail-poll-interval", true, "MS",
        "ms between reads of the temperatures, pressure, lamp mode and reversal while the "
        "web page or MQTT is on (default 60000, at least 1000)",
        "core",
        [](O& o, S shownAs, S value) { o.detailPollMs = number(shownAs, value, 1000, 3'600'000); }},
    Setting{"manufacturer", false, "", "the maker for PJLink's INF1 query (default QUIVA)",
            "pjlink",
            [](O& o, S shownAs, S value) {
              o.manufacturer = printableText(shownAs, value, kMaxMakerLength);
            }},
    Setting{"allow-open-network", false, "",
            "yes: listen beyond loopback without a password, and serve the web page there "
            "without one or over plain HTTP (default no)",
            "core", [](O& o, S shownAs, S value) { o.openNetwork = yesNo(shownAs, value); }},
    Setting{"max-clients", false, "",
            "PJLink clients at once, 1 to 1024 (default 64); more are refused", "pjlink",
            [](O& o, S shownAs, S value) { o.maxClients = number(shownAs, value, 1, 1024); }},
    Setting{"reply-timeout", false, "",
            "ms to wait for the projector's reply, 100 to 1500 (default 1000)", "core",
            [](O& o, S shownAs, S value) { o.replyTimeoutMs = number(shownAs, value, 100, 1500); }},
    Setting{"poll-interval", false, "",
            "ms between reads of the operating state (default 10000, at least 1000)", "core",
            [](O& o, S shownAs, S value) { o.pollMs = number(shownAs, value, 1000, 3'600'000); }},
    Setting{"busy-poll-interval", false, "",
            "the same while the projector counts down or cools down (default 1000, at least 1000)",
            "core",
            [](O& o, S shownAs, S value) { o.busyPollMs = number(shownAs, value, 1000, 60'000); }},
    Setting{"mqtt-password-file", false, "",
            "the broker's password, the first line of FILE; a file, so that it is never on the "
            "command line",
            "mqtt", [](O& o, S shownAs, S value) { o.mqttPasswordFile = file(shownAs, value); }},
};

}  // namespace

std::span<const Setting> settingsTable() {
  return kTable;
}

const Setting* findSetting(std::string_view key) {
  for (const Setting& setting : kTable) {
    if (setting.key == key) return &setting;
  }
  return nullptr;
}

}  // namespace pv7100::daemon
