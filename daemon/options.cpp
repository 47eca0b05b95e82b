#include "daemon/options.h"

#include <cctype>
#include <map>

#include "daemon/core/setting_values.h"
#include "daemon/settings_table.h"

namespace pv7100::daemon {
namespace {

// The line without the comment after its value: a "#" or ";" that follows a blank.
std::string_view withoutComment(std::string_view line) {
  for (std::size_t at = 1; at < line.size(); ++at) {
    if ((line[at] == '#' || line[at] == ';') && (line[at - 1] == ' ' || line[at - 1] == '\t'))
      return line.substr(0, at);
  }
  return line;
}

// Applies `key` = `value` from the config file or the command line (without its "--").
void apply(Options& options, const std::string& key, const std::string& value,
           const std::string& shownAs) {
  const Setting* setting = findSetting(key);
  if (!setting) throw UsageError("unknown setting " + key);
  setting->apply(options, shownAs, value);
}

// `text` in lines of at most kUsageWidth characters, the first after `lead`, the others
// indented to kHelpColumn; `lead` longer than the column puts the text on the next line.
constexpr std::size_t kHelpColumn = 24;
constexpr std::size_t kUsageWidth = 95;

std::string helpLines(std::string lead, std::string_view text) {
  std::string out = lead.size() < kHelpColumn ? lead + std::string(kHelpColumn - lead.size(), ' ')
                                              : lead + "\n" + std::string(kHelpColumn, ' ');
  std::size_t width = kHelpColumn;
  while (!text.empty()) {
    const std::size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    text = space == std::string_view::npos ? std::string_view{} : text.substr(space + 1);
    if (width > kHelpColumn && width + 1 + word.size() > kUsageWidth) {
      out += "\n" + std::string(kHelpColumn, ' ');
      width = kHelpColumn;
    } else if (width > kHelpColumn) {
      out += ' ';
      ++width;
    }
    out += word;
    width += word.size();
  }
  return out + "\n";
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
    const Setting* setting = option.starts_with("--") ? findSetting(option.substr(2)) : nullptr;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--mqtt-withdraw") {
      options.mqttWithdraw = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (option == "--config" || (setting && setting->onCommandLine)) {
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
  if (options.mqttWithdraw && options.mqtt.host.empty())
    throw UsageError("--mqtt-withdraw needs the broker: give --mqtt HOST or mqtt = HOST in " +
                     options.configFile);
  if (options.core.port.empty() && !options.mqttWithdraw)
    throw UsageError("no serial port: give --port DEVICE or port = DEVICE in " +
                     options.configFile);
  if (options.http.certificate.empty() != options.http.key.empty())
    throw UsageError("http-certificate and http-key go together: give both for HTTPS");
  std::string name = options.configFile.substr(options.configFile.rfind('/') + 1);
  const bool named = text && name.ends_with(".conf");
  if (name.ends_with(".conf")) name.resize(name.size() - 5);
  if (options.share.socket.empty())
    options.share.socket =
        socketPath("the socket", std::string(kSocketDirectory) + "/" + name + ".sock");
  // The MQTT ID names the projector among others on one broker: the config file's name, else
  // the projector's name, as a topic level and an identifier may hold it.
  std::string id = named ? name : options.pjlink.name;
  for (char& c : id) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') c = '-';
  }
  options.mqtt.id = id;
  if (options.mqtt.topic.empty()) options.mqtt.topic = "pv7100/" + id;
  return options;
}

std::string usageText() {
  std::string options;
  std::string ownKeys;
  for (const Setting& setting : settingsTable()) {
    if (setting.onCommandLine) {
      options += helpLines("  --" + std::string(setting.key) + " " + std::string(setting.valueName),
                           setting.help);
    } else {
      ownKeys += helpLines("  " + std::string(setting.key), setting.help);
    }
  }
  return R"(Usage: pv7100d [OPTION]...
Own the serial port of one QUIVA PV7100 data projector and serve the projector on the network
as a PJLink Class 2 projector (found by search, telling its changes), and with --http and
--mqtt on the web and an MQTT broker.

Options (each overrides the setting of the same name in the config file):
  --config FILE         the config file, a regular file of at most 64 KiB (default
                        /etc/pv7100/pv7100d.conf; a missing default file is no error)
)" + options +
         R"(  --mqtt-withdraw       take away what this daemon leaves retained on the broker (its
                        discovery configs, state and availability) and exit, for a projector
                        that is removed; refused while another pv7100d serves its topic
  --help                show this help and exit
  --version             show the version and exit

Config file: INI, one "key = value" a line, each key at most once; "#" or ";" at the start of
a line or after a blank starts a comment ("name = Hall # left" is the name Hall); section
headers and a UTF-8 byte-order mark are ignored. Keys: those of the options above, without
"--" (--config, --mqtt-withdraw, --help and --version aside), and these of the file alone:
)" + ownKeys +
         R"(
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
