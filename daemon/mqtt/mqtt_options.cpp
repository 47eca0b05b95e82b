#include "daemon/mqtt/mqtt_options.h"

#include <array>

#include "daemon/core/setting_values.h"

namespace pv7100::daemon {
namespace {

// "HOST[:PORT]", an IPv6 address in brackets: "broker.lan", "10.0.0.5:1883", "[::1]:8883".
void applyBroker(MqttOptions& options, const std::string& shownAs, const std::string& value) {
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
  options.host = host;
  options.port = colon == std::string::npos
                     ? 0
                     : wholeNumber(shownAs + ": the port", value.substr(colon + 1), 1, 65535);
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

using O = MqttOptions;
using S = const std::string&;

constexpr std::array kRows{
    SettingRow<O>{"mqtt", true, "HOST[:PORT]",
                  "also serve the projector on this MQTT broker (port 1883, or 8883 with TLS; "
                  "[::1]:1883 for IPv6)",
                  [](O& o, S shownAs, S value) { applyBroker(o, shownAs, value); }},
    SettingRow<O>{"mqtt-topic", true, "TOPIC",
                  "its base topic (default pv7100/ID, ID the config file's name without .conf, "
                  "or without a config file the name in lower case)",
                  [](O& o, S shownAs, S value) { o.topic = topic(shownAs, value); }},
    SettingRow<O>{
        "mqtt-username", true, "USER",
        "log in to the broker as USER, with the password in mqtt-password-file",
        [](O& o, S shownAs, S value) { o.username = printableText(shownAs, value, 256); }},
    SettingRow<O>{"mqtt-ca-file", true, "FILE",
                  "TLS: the broker's certificate is checked against the CA in FILE (PEM)",
                  [](O& o, S shownAs, S value) { o.caFile = filePath(shownAs, value); }},
    SettingRow<O>{"mqtt-discovery-prefix", true, "PREFIX",
                  "Home Assistant's discovery prefix (default homeassistant; none for no "
                  "discovery messages)",
                  [](O& o, S shownAs, S value) {
                    o.discoveryPrefix = value == "none" ? "" : topic(shownAs, value);
                  }},
    SettingRow<O>{"mqtt-password-file", false, "",
                  "the broker's password, the first line of FILE; a file, so that it is never on "
                  "the command line",
                  [](O& o, S shownAs, S value) { o.passwordFile = filePath(shownAs, value); }},
};

}  // namespace

std::span<const SettingRow<MqttOptions>> mqttSettingRows() {
  return kRows;
}

}  // namespace pv7100::daemon
