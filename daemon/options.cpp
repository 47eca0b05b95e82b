#include "daemon/options.h"

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
void applyAddress(const std::string& key, const std::string& value, std::string& host, int& port) {
  const std::size_t colon = value.rfind(':');
  std::string address = colon == std::string::npos ? "" : value.substr(0, colon);
  if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
    address = address.substr(1, address.size() - 2);
  if (address.empty())
    throw UsageError(key + " takes ADDRESS:PORT, such as 127.0.0.1:" +
                     (key == "http" ? "8080" : "4352") + ", not \"" + value + "\"");
  port = number("the port of " + key, value.substr(colon + 1), 1, 65535);
  host = address;
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
    applyAddress(key, value, options.listenHost, options.listenPort);
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
  } else if (key == "http") {
    applyAddress(key, value, options.httpHost, options.httpPort);
  } else if (key == "http-password-file") {
    options.httpPasswordFile = value;
  } else if (key == "http-certificate") {
    options.httpCertificate = value;
  } else if (key == "http-key") {
    options.httpKey = value;
  } else if (key == "http-names") {
    options.httpNames = hostNames(key, value);
  } else {
    throw UsageError("unknown setting " + key);
  }
}

bool onCommandLine(const std::string& option) {
  return option == "--port" || option == "--baud" || option == "--listen" || option == "--name" ||
         option == "--password-file" || option == "--log" || option == "--socket" ||
         option == "--http" || option == "--http-password-file" || option == "--http-certificate" ||
         option == "--http-key" || option == "--http-names";
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
  if (const std::optional<std::string> text = readFile(options.configFile)) {
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
  if (options.httpCertificate.empty() != options.httpKey.empty())
    throw UsageError("http-certificate and http-key go together: give both for HTTPS");
  if (options.socket.empty()) {
    std::string name = options.configFile.substr(options.configFile.rfind('/') + 1);
    if (name.ends_with(".conf")) name.resize(name.size() - 5);
    options.socket = std::string(kSocketDirectory) + "/" + name + ".sock";
  }
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
  --http ADDR:PORT      serve the remote page, the JSON API and the metrics there (such as
                        127.0.0.1:8080); off by default. An address beyond loopback needs a
                        password and HTTPS, or allow-open-network = yes
  --http-password-file FILE  the web page's password, the first line of FILE (at most 32
                        characters; default: PJLink's password-file, if set)
  --http-certificate FILE, --http-key FILE  HTTPS with this certificate and key (PEM)
  --http-names NAME[,NAME]...  the names the page is reached by, besides IP addresses,
                        localhost and this machine's name; other Host headers are refused
  --help                show this help and exit
  --version             show the version and exit

Config file: INI, one "key = value" a line, "#" or ";" starts a comment, section headers are
ignored. Keys:
  port, baud, listen, name, password-file, socket, log   as the options above
  http, http-password-file, http-certificate, http-key, http-names   as the options above
  manufacturer          the maker for PJLink's INF1 query (default QUIVA)
  allow-open-network    yes: listen beyond loopback without a password, and serve the web
                        page there without one or over plain HTTP (default no)
  max-clients           PJLink clients at once, 1 to 1024 (default 64); more are refused
  reply-timeout         ms to wait for the projector's reply, 100 to 1500 (default 1000)
  poll-interval         ms between reads of the operating state (default 10000, at least 1000)
  busy-poll-interval    the same while the projector counts down or cools down (default 1000,
                        at least 1000)

Local socket (mode 0660, group dialout): what a client writes goes to the projector line by
line, each line whole, before the daemon's own reads; the reply to each line comes back to
that client alone. pv7100ctl --port unix:PATH and pv7100-panel --com1 unix:PATH use it.

PJLink: POWR, INPT, INST, AVMT, ERST, LAMP, NAME, INF1, INF2, INFO and CLSS; clients idle for
30 s are closed. Events go to standard error, one line each; SIGTERM or SIGINT ends the daemon,
closing the port. Under systemd, readiness and stopping are told through sd_notify.

Web page (--http): the remote at /, the JSON API under /api/, the metrics for Prometheus at
/metrics; with a password, HTTP Basic authentication; a change only by POST from the page
itself. See /usr/share/doc/pv7100/docs/http.md.

Exit status:
  0  ended by SIGTERM or SIGINT
  2  bad usage or config, or a password file or log file that cannot be read or written
  3  the listening address or the socket cannot be had

Examples:
  pv7100d --port /dev/ttyUSB0
  pv7100d --config /etc/pv7100/hall.conf
)";
}

}  // namespace pv7100::daemon
