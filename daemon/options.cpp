#include "daemon/options.h"

#include <cctype>
#include <charconv>

#include "daemon/pjlink/answers.h"

namespace pv7100::daemon {
namespace {

std::string trimmed(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t\r");
  return std::string(text.substr(begin, end - begin + 1));
}

int number(const std::string& name, const std::string& text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < low || value > high)
    throw UsageError(name + " takes a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + text + "\"");
  return value;
}

std::string printableText(const std::string& name, const std::string& text, std::size_t most) {
  if (text.empty() || text.size() > most)
    throw UsageError(name + " takes 1 to " + std::to_string(most) + " characters");
  for (const char c : text) {
    if (c < ' ' || c > '~') throw UsageError(name + " takes printable ASCII characters only");
  }
  return text;
}

// "ADDRESS:PORT", the address of IPv6 in brackets: "127.0.0.1:4352", "[::1]:4352".
void applyListen(Options& options, const std::string& value) {
  const std::size_t colon = value.rfind(':');
  std::string host = colon == std::string::npos ? "" : value.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  if (host.empty())
    throw UsageError("listen takes ADDRESS:PORT, such as 127.0.0.1:4352, not \"" + value + "\"");
  options.listenHost = host;
  options.listenPort = number("the port of listen", value.substr(colon + 1), 1, 65535);
}

// "HOST[:PORT]", an IPv6 address in brackets: "broker.lan", "10.0.0.5:1883", "[::1]:8883".
void applyMqtt(Options& options, const std::string& value) {
  const std::size_t bracket = value.find(']');
  const std::size_t colon = value.find(':', bracket == std::string::npos ? 0 : bracket);
  std::string host = value.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  if (host.empty() || host.find_first_of(" []/") != std::string::npos ||
      (bracket == std::string::npos && colon != std::string::npos &&
       value.find(':', colon + 1) != std::string::npos))
    throw UsageError("mqtt takes HOST[:PORT], such as 127.0.0.1 or [::1]:1883, not \"" + value +
                     "\"");
  options.mqttHost = host;
  options.mqttPort = colon == std::string::npos
                         ? 0
                         : number("the port of mqtt", value.substr(colon + 1), 1, 65535);
}

// A topic to publish under: printable, no wildcards, no empty level at either end.
std::string topic(const std::string& name, const std::string& value) {
  printableText(name, value, 200);
  if (value.find_first_of("+# ") != std::string::npos || value.front() == '/' ||
      value.back() == '/')
    throw UsageError(name +
                     " takes a topic such as pv7100/hall: no +, # or blanks, and no / "
                     "at either end");
  return value;
}

// Applies `key` = `value` from the config file or the command line (without its "--").
void apply(Options& options, const std::string& key, const std::string& value) {
  if (key == "port") {
    if (value.empty()) throw UsageError("port takes a device, such as /dev/ttyUSB0");
    options.port = value;
  } else if (key == "baud") {
    if (value != "19200" && value != "9600")
      throw UsageError("baud takes 19200 or 9600, not \"" + value + "\"");
    options.baud = value == "9600" ? 9600 : 19200;
  } else if (key == "listen") {
    applyListen(options, value);
  } else if (key == "name") {
    options.name = printableText(key, value, kMaxNameLength);
  } else if (key == "manufacturer") {
    options.manufacturer = printableText(key, value, kMaxMakerLength);
  } else if (key == "password-file") {
    options.passwordFile = value;
  } else if (key == "allow-open-network") {
    if (value != "yes" && value != "no")
      throw UsageError("allow-open-network takes yes or no, not \"" + value + "\"");
    options.openNetwork = value == "yes";
  } else if (key == "socket") {
    if (value.empty()) throw UsageError("socket takes a path, such as /run/pv7100/hall.sock");
    options.socket = value;
  } else if (key == "log") {
    options.logFile = value;
  } else if (key == "max-clients") {
    options.maxClients = number(key, value, 1, 1024);
  } else if (key == "reply-timeout") {
    options.replyTimeoutMs = number(key, value, 100, 1500);
  } else if (key == "poll-interval") {
    options.pollMs = number(key, value, 1000, 3'600'000);
  } else if (key == "busy-poll-interval") {
    options.busyPollMs = number(key, value, 1000, 60'000);
  } else if (key == "detail-poll-interval") {
    options.detailPollMs = number(key, value, 1000, 3'600'000);
  } else if (key == "mqtt") {
    applyMqtt(options, value);
  } else if (key == "mqtt-topic") {
    options.mqttTopic = topic(key, value);
  } else if (key == "mqtt-username") {
    options.mqttUsername = printableText(key, value, 256);
  } else if (key == "mqtt-password-file" || key == "mqtt-ca-file") {
    if (value.empty()) throw UsageError(key + " takes a file");
    (key == "mqtt-ca-file" ? options.mqttCaFile : options.mqttPasswordFile) = value;
  } else if (key == "mqtt-discovery-prefix") {
    options.mqttDiscoveryPrefix = value == "none" ? "" : topic(key, value);
  } else {
    throw UsageError("unknown setting " + key);
  }
}

bool onCommandLine(const std::string& option) {
  return option == "--port" || option == "--baud" || option == "--listen" || option == "--name" ||
         option == "--password-file" || option == "--log" || option == "--socket" ||
         option == "--detail-poll-interval" || option == "--mqtt" || option == "--mqtt-topic" ||
         option == "--mqtt-username" || option == "--mqtt-ca-file" ||
         option == "--mqtt-discovery-prefix";
}

}  // namespace

std::vector<ConfigEntry> parseConfig(std::string_view text) {
  std::vector<ConfigEntry> entries;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string line = trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++number;
    if (line.empty() || line[0] == '#' || line[0] == ';' ||
        (line.front() == '[' && line.back() == ']'))
      continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos)
      throw UsageError("line " + std::to_string(number) + " is not \"key = value\"");
    entries.push_back({trimmed(std::string_view(line).substr(0, equals)),
                       trimmed(std::string_view(line).substr(equals + 1)), number});
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
          apply(options, entry.key, entry.value);
        } catch (const UsageError& error) {
          throw UsageError("line " + std::to_string(entry.line) + ": " + error.what());
        }
      }
    } catch (const UsageError& error) {
      throw UsageError(options.configFile + ": " + error.what());
    }
  } else if (configGiven) {
    throw UsageError("cannot read the config file " + options.configFile);
  }
  for (const auto& [key, value] : given) {
    try {
      apply(options, key, value);
    } catch (const UsageError& error) {
      throw UsageError("--" + std::string(error.what()));
    }
  }
  if (options.port.empty())
    throw UsageError("no serial port: give --port DEVICE or port = DEVICE in " +
                     options.configFile);
  std::string name = options.configFile.substr(options.configFile.rfind('/') + 1);
  const bool named = text && name.ends_with(".conf");
  if (name.ends_with(".conf")) name.resize(name.size() - 5);
  if (options.socket.empty()) options.socket = std::string(kSocketDirectory) + "/" + name + ".sock";
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
as a PJLink Class 1 projector.

Options (each overrides the setting of the same name in the config file):
  --config FILE         the config file (default /etc/pv7100/pv7100d.conf; a missing default
                        file is no error)
  --port DEVICE         the projector's serial device, such as /dev/ttyUSB0, or
                        tcp:HOST:PORT for a serial device server (ser2net in raw mode)
  --baud 19200|9600     the line speed (default 19200); 8 data bits, no parity, 1 stop bit
  --listen ADDR:PORT    where PJLink clients connect (default 127.0.0.1:4352; [::1]:4352 for
                        IPv6); an address beyond loopback needs a password, or
                        allow-open-network = yes in the config file
  --name NAME           the projector's name for PJLink's NAME query (default PV7100)
  --password-file FILE  the PJLink password, the first line of FILE (at most 32 characters);
                        never on the command line, where every user could read it
  --socket PATH         the local socket that shares the projector's line with the panel
                        and pv7100ctl (default /run/pv7100/NAME.sock, NAME the config
                        file's name without .conf)
  --log FILE            append every line on the serial port and every PJLink request and
                        reply to FILE
  --mqtt HOST[:PORT]    also serve the projector on this MQTT broker (port 1883, or 8883 with
                        TLS; [::1]:1883 for IPv6)
  --mqtt-topic TOPIC    its base topic (default pv7100/ID, ID the config file's name without
                        .conf, or without a config file the name in lower case)
  --mqtt-username USER  log in to the broker as USER, with the password in mqtt-password-file
  --mqtt-ca-file FILE   TLS: the broker's certificate is checked against the CA in FILE
  --mqtt-discovery-prefix PREFIX
                        Home Assistant's discovery prefix (default homeassistant; none for no
                        discovery messages)
  --detail-poll-interval MS
                        ms between reads of the temperatures, pressure, lamp mode and
                        reversal while MQTT is on (default 60000, at least 1000)
  --help                show this help and exit
  --version             show the version and exit

Config file: INI, one "key = value" a line, "#" or ";" starts a comment, section headers are
ignored. Keys:
  port, baud, listen, name, password-file, socket, log, mqtt, mqtt-topic, mqtt-username,
  mqtt-ca-file, mqtt-discovery-prefix, detail-poll-interval   as the options above
  manufacturer          the maker for PJLink's INF1 query (default QUIVA)
  allow-open-network    yes: listen beyond loopback without a password (default no)
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

PJLink: POWR, INPT, INST, AVMT, ERST, LAMP, NAME, INF1, INF2, INFO and CLSS; clients idle for
30 s are closed.

MQTT, under the base topic T: T/availability (online or offline, retained; the last will),
T/state (everything known, as JSON, retained), T/set (a command's name, or
{"command": NAME, "for_ms": MS} to hold one), T/result (each command's outcome); Home
Assistant's discovery messages under the prefix. A broker that goes away is tried again every
1 s to 30 s.

Events go to standard error, one line each; SIGTERM or SIGINT ends the daemon,
closing the port. Under systemd, readiness and stopping are told through sd_notify.

Exit status:
  0  ended by SIGTERM or SIGINT
  2  bad usage or config, or a password, CA or log file that cannot be read or written
  3  the listening address or the socket cannot be had

Examples:
  pv7100d --port /dev/ttyUSB0
  pv7100d --config /etc/pv7100/hall.conf
  pv7100d --port /dev/ttyUSB0 --mqtt 127.0.0.1
)";
}

}  // namespace pv7100::daemon
