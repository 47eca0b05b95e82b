#include "daemon/options.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <map>

#include <arpa/inet.h>
#include <netinet/in.h>

#include "daemon/pjlink/answers.h"

namespace pv7100::daemon {
namespace {

std::string trimmed(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t\r");
  return std::string(text.substr(begin, end - begin + 1));
}

// The line without the comment after its value: a "#" or ";" that follows a blank.
std::string_view withoutComment(std::string_view line) {
  for (std::size_t at = 1; at < line.size(); ++at) {
    if ((line[at] == '#' || line[at] == ';') && (line[at - 1] == ' ' || line[at - 1] == '\t'))
      return line.substr(0, at);
  }
  return line;
}

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

// The socket's path made absolute (Qt would take a relative one from its temporary folder),
// and short enough for a local socket's address.
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

// Applies `key` = `value` from the config file or the command line (without its "--").
void apply(Options& options, const std::string& key, const std::string& value,
           const std::string& shownAs) {
  if (key == "port") {
    if (value.empty()) throw UsageError(shownAs + " takes a device, such as /dev/ttyUSB0");
    options.port = value;
  } else if (key == "baud") {
    if (value != "19200" && value != "9600")
      throw UsageError(shownAs + " takes 19200 or 9600, not \"" + value + "\"");
    options.baud = value == "9600" ? 9600 : 19200;
  } else if (key == "listen") {
    applyAddress(shownAs, value, options.listenHost, options.listenPort);
  } else if (key == "name") {
    options.name = printableText(shownAs, value, kMaxNameLength);
  } else if (key == "manufacturer") {
    options.manufacturer = printableText(shownAs, value, kMaxMakerLength);
  } else if (key == "password-file") {
    options.passwordFile = value;
  } else if (key == "allow-open-network") {
    if (value != "yes" && value != "no")
      throw UsageError(shownAs + " takes yes or no, not \"" + value + "\"");
    options.openNetwork = value == "yes";
  } else if (key == "socket") {
    options.socket = socketPath(shownAs, value);
  } else if (key == "log") {
    options.logFile = value;
  } else if (key == "max-clients") {
    options.maxClients = number(shownAs, value, 1, 1024);
  } else if (key == "pjlink-search") {
    if (value != "yes" && value != "no")
      throw UsageError(shownAs + " takes yes or no, not \"" + value + "\"");
    options.pjlinkSearch = value == "yes";
  } else if (key == "pjlink-udp-port") {
    options.pjlinkUdpPort = number(shownAs, value, 1, 65535);
  } else if (key == "pjlink-controller-port") {
    options.pjlinkControllerPort = number(shownAs, value, 1, 65535);
  } else if (key == "reply-timeout") {
    options.replyTimeoutMs = number(shownAs, value, 100, 1500);
  } else if (key == "poll-interval") {
    options.pollMs = number(shownAs, value, 1000, 3'600'000);
  } else if (key == "busy-poll-interval") {
    options.busyPollMs = number(shownAs, value, 1000, 60'000);
  } else if (key == "http") {
    applyAddress(shownAs, value, options.httpHost, options.httpPort);
  } else if (key == "http-password-file") {
    options.httpPasswordFile = value;
  } else if (key == "http-certificate") {
    options.httpCertificate = value;
  } else if (key == "http-key") {
    options.httpKey = value;
  } else if (key == "http-names") {
    options.httpNames = hostNames(shownAs, value);
  } else if (key == "detail-poll-interval") {
    options.detailPollMs = number(shownAs, value, 1000, 3'600'000);
  } else if (key == "mqtt") {
    applyMqtt(options, shownAs, value);
  } else if (key == "mqtt-topic") {
    options.mqttTopic = topic(shownAs, value);
  } else if (key == "mqtt-username") {
    options.mqttUsername = printableText(shownAs, value, 256);
  } else if (key == "mqtt-password-file" || key == "mqtt-ca-file") {
    if (value.empty()) throw UsageError(shownAs + " takes a file");
    (key == "mqtt-ca-file" ? options.mqttCaFile : options.mqttPasswordFile) = value;
  } else if (key == "mqtt-discovery-prefix") {
    options.mqttDiscoveryPrefix = value == "none" ? "" : topic(shownAs, value);
  } else {
    throw UsageError("unknown setting " + key);
  }
}

bool onCommandLine(const std::string& option) {
  return option == "--port" || option == "--baud" || option == "--listen" || option == "--name" ||
         option == "--password-file" || option == "--log" || option == "--socket" ||
         option == "--http" || option == "--http-password-file" || option == "--http-certificate" ||
         option == "--http-key" || option == "--http-names" || option == "--detail-poll-interval" ||
         option == "--mqtt" || option == "--mqtt-topic" || option == "--mqtt-username" ||
         option == "--mqtt-ca-file" || option == "--mqtt-discovery-prefix" ||
         option == "--pjlink-search" || option == "--pjlink-udp-port" ||
         option == "--pjlink-controller-port";
}

}  // namespace

std::vector<ConfigEntry> parseConfig(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  std::vector<ConfigEntry> entries;
  std::map<std::string, int, std::less<>> lineOf;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string line = trimmed(withoutComment(text.substr(0, end)));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    const std::string at = "line " + std::to_string(++number);
    if (line.empty() || line[0] == '#' || line[0] == ';' ||
        (line.front() == '[' && line.back() == ']'))
      continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) throw UsageError(at + " is not \"key = value\"");
    ConfigEntry entry{trimmed(std::string_view(line).substr(0, equals)),
                      trimmed(std::string_view(line).substr(equals + 1)), number};
    if (entry.key.empty()) throw UsageError(at + " has no key before \"=\"");
    // A key given twice is a mistake either way: which of the two was meant cannot be told.
    if (const auto [earlier, first] = lineOf.try_emplace(entry.key, number); !first)
      throw UsageError(at + ": " + entry.key + " is set on line " +
                       std::to_string(earlier->second) + " already");
    entries.push_back(std::move(entry));
  }
  return entries;
}

Options loadOptions(const std::vector<std::string>& args,
                    std::optional<std::string> (*readFile)(const std::string& path)) {
  Options options;
  std::vector<std::pair<std::string, std::string>> given;
  bool configGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string option = arg.substr(0, equals);
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--mqtt-withdraw") {
      options.mqttWithdraw = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (option == "--config" || onCommandLine(option)) {
      std::string value;
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        throw UsageError(option + " needs a value");
      }
      if (option == "--config") {
        options.configFile = value;
        configGiven = true;
      } else {
        given.emplace_back(option.substr(2), value);
      }
    } else {
      throw UsageError("unknown argument \"" + arg + "\"");
    }
  }
  if (options.help || options.version) return options;
  // The default file may be missing: the command line can say it all.
  const std::optional<std::string> text = readFile(options.configFile);
  if (text) {
    try {
      for (const ConfigEntry& entry : parseConfig(*text)) {
        try {
          apply(options, entry.key, entry.value, entry.key);
        } catch (const UsageError& error) {
          throw UsageError("line " + std::to_string(entry.line) + ": " + error.what());
        }
      }
    } catch (const UsageError& error) {
      throw UsageError(options.configFile + ": " + error.what());
    }
  } else if (configGiven) {
    throw UsageError("the config file " + options.configFile + " does not exist");
  }
  for (const auto& [key, value] : given) apply(options, key, value, "--" + key);
  if (options.mqttWithdraw && options.mqttHost.empty())
    throw UsageError("--mqtt-withdraw needs the broker: give --mqtt HOST or mqtt = HOST in " +
                     options.configFile);
  if (options.port.empty() && !options.mqttWithdraw)
    throw UsageError("no serial port: give --port DEVICE or port = DEVICE in " +
                     options.configFile);
  if (options.httpCertificate.empty() != options.httpKey.empty())
    throw UsageError("http-certificate and http-key go together: give both for HTTPS");
  std::string name = options.configFile.substr(options.configFile.rfind('/') + 1);
  const bool named = text && name.ends_with(".conf");
  if (name.ends_with(".conf")) name.resize(name.size() - 5);
  if (options.socket.empty())
    options.socket = socketPath("the socket", std::string(kSocketDirectory) + "/" + name + ".sock");
  // The MQTT ID names the projector among others on one broker: the config file's name, else
  // the projector's name, as a topic level and an identifier may hold it.
  std::string id = named ? name : options.name;
  for (char& c : id) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') c = '-';
  }
  options.mqttId = id;
  if (options.mqttTopic.empty()) options.mqttTopic = "pv7100/" + id;
  return options;
}

std::string usageText() {
  return R"(Usage: pv7100d [OPTION]...
Own the serial port of one QUIVA PV7100 data projector and serve the projector on the network
as a PJLink Class 2 projector (found by search, telling its changes), and with --http and
--mqtt on the web and an MQTT broker.

Options (each overrides the setting of the same name in the config file):
  --config FILE         the config file, a regular file of at most 64 KiB (default
                        /etc/pv7100/pv7100d.conf; a missing default file is no error)
  --port DEVICE         the projector's serial device, such as /dev/ttyUSB0, or
                        tcp:HOST:PORT for a serial device server (ser2net in raw mode)
  --baud 19200|9600     the line speed (default 19200); 8 data bits, no parity, 1 stop bit
  --listen ADDR:PORT    where PJLink clients connect (default 127.0.0.1:4352; [::1]:4352 for
                        IPv6; [::ffff:127.0.0.1] is taken as 127.0.0.1); an address beyond
                        loopback needs a password, or allow-open-network = yes in the
                        config file
  --name NAME           the projector's name for PJLink's NAME query (default PV7100)
  --password-file FILE  the PJLink password, the first line of FILE, a regular file (at most
                        32 characters); never on the command line, where every user could
                        read it
  --socket PATH         the local socket that shares the projector's line with the panel
                        and pv7100ctl (default /run/pv7100/NAME.sock, NAME the config
                        file's name without .conf), a path of at most 107 bytes; a socket
                        there that no program serves is taken over, anything else refused
  --log FILE            append every line on the serial port and every PJLink request and
                        reply to FILE; SIGHUP reopens it, for logrotate
  --http ADDR:PORT      serve the remote page, the JSON API and the metrics there (such as
                        127.0.0.1:8080); off by default. An address beyond loopback needs a
                        password and HTTPS, or allow-open-network = yes
  --http-password-file FILE  the web page's password, the first line of FILE (at most 32
                        characters; default: PJLink's password-file, if set)
  --http-certificate FILE, --http-key FILE  HTTPS with this certificate and key (PEM)
  --http-names NAME[,NAME]...  the names the page is reached by, besides IP addresses,
                        localhost and this machine's name; other Host headers are refused
  --mqtt HOST[:PORT]    also serve the projector on this MQTT broker (port 1883, or 8883 with
                        TLS; [::1]:1883 for IPv6)
  --mqtt-topic TOPIC    its base topic (default pv7100/ID, ID the config file's name without
                        .conf, or without a config file the name in lower case)
  --mqtt-username USER  log in to the broker as USER, with the password in mqtt-password-file
  --mqtt-ca-file FILE   TLS: the broker's certificate is checked against the CA in FILE (PEM)
  --mqtt-discovery-prefix PREFIX
                        Home Assistant's discovery prefix (default homeassistant; none for no
                        discovery messages)
  --mqtt-withdraw       take away what this daemon leaves retained on the broker (its
                        discovery configs, state and availability) and exit, for a projector
                        that is removed; refused while another pv7100d serves its topic
  --pjlink-search yes|no  answer PJLink searches and send the link-up and the notifications
                        on UDP (default yes), where the PJLink clients connect: on
                        loopback, only this machine's
  --pjlink-udp-port PORT  the UDP port searches come in on (default 4352; several daemons on
                        one machine share it)
  --pjlink-controller-port PORT  the UDP port of the controllers, where the answers to
                        searches, the link-up and the notifications go (default 4352)
  --detail-poll-interval MS
                        ms between reads of the temperatures, pressure, lamp mode and
                        reversal while the web page or MQTT is on (default 60000, at least
                        1000)
  --help                show this help and exit
  --version             show the version and exit

Config file: INI, one "key = value" a line, each key at most once; "#" or ";" at the start of
a line or after a blank starts a comment ("name = Hall # left" is the name Hall); section
headers and a UTF-8 byte-order mark are ignored. Keys:
  port, baud, listen, name, password-file, socket, log   as the options above
  http, http-password-file, http-certificate, http-key, http-names   as the options above
  mqtt, mqtt-topic, mqtt-username, mqtt-ca-file, mqtt-discovery-prefix, detail-poll-interval
                        as the options above
  pjlink-search, pjlink-udp-port, pjlink-controller-port   as the options above
  manufacturer          the maker for PJLink's INF1 query (default QUIVA)
  allow-open-network    yes: listen beyond loopback without a password, and serve the web
                        page there without one or over plain HTTP (default no)
  max-clients           PJLink clients at once, 1 to 1024 (default 64); more are refused
  reply-timeout         ms to wait for the projector's reply, 100 to 1500 (default 1000)
  poll-interval         ms between reads of the operating state (default 10000, at least 1000)
  busy-poll-interval    the same while the projector counts down or cools down (default 1000,
                        at least 1000)
  mqtt-password-file    the broker's password, the first line of FILE; a file, so that it
                        is never on the command line

Local socket (mode 0660, group dialout): what a client writes goes to the projector line by
line, each line whole, before the daemon's own reads; the reply to each line comes back to
that client alone. pv7100ctl --port unix:PATH and pv7100-panel --com1 unix:PATH use it.

PJLink Class 1 and 2 (%1 and %2): POWR, INPT, INST, AVMT, ERST, LAMP, NAME, INF1, INF2, INFO
and CLSS, and in Class 2 INNM, FREZ, SVOL and SVER (MVOL, IRES, RRES, FILT, RLMP, RFIL and SNUM
are ERR1: this projector cannot tell them); clients idle for 30 s are closed. Notifications go
to the 16 controllers that sent a request last, each for an hour after its last request.
Events go to standard error, one line each; SIGTERM or SIGINT ends the daemon, closing the
port; SIGHUP reopens the log file. Under systemd, readiness and stopping are told
through sd_notify.

Web page (--http): the remote at /, the JSON API under /api/, the metrics for Prometheus at
/metrics; with a password, HTTP Basic authentication; a change only by POST from the page
itself. See /usr/share/doc/pv7100/docs/http.md.

MQTT (--mqtt), under the base topic T: T/availability (online or offline, retained; the last
will), T/state (everything known, as JSON, retained), T/set (a command's name, or
{"command": NAME, "for_ms": MS} to hold one), T/result (each command's outcome); Home
Assistant's discovery messages under the prefix. A broker that goes away is tried again every
1 s to 20 s. One daemon serves a topic: another that finds it served stands by. See
/usr/share/doc/pv7100/docs/mqtt.md.

Exit status:
  0  ended by SIGTERM or SIGINT, or --mqtt-withdraw done
  1  --mqtt-withdraw not done: the broker not reached, or another pv7100d serves the topic
  2  bad usage or config, or a config, password, certificate, CA or log file that cannot be
     read or written
  3  the listening address or the socket cannot be had (another program serves the socket,
     or something other than a socket is at its path)

Examples:
  pv7100d --port /dev/ttyUSB0
  pv7100d --config /etc/pv7100/hall.conf
  pv7100d --port /dev/ttyUSB0 --mqtt 127.0.0.1
)";
}

}  // namespace pv7100::daemon
