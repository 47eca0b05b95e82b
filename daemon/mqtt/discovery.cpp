#include "daemon/mqtt/discovery.h"

#include <array>
#include <string_view>

#include "daemon/core/json_text.h"
#include "daemon/core/projector_vocabulary.h"
#include "daemon/core/state_document.h"
#include "protocol/commands.h"
#include "protocol/status_tables.h"

namespace pv7100::daemon {
namespace {

// A state document value as ON, OFF or None (unknown) for a switch or a binary sensor.
std::string onOff(std::string_view key) {
  const std::string value = "value_json." + std::string(key);
  return "{% if " + value + " is none %}None{% elif " + value + " %}ON{% else %}OFF{% endif %}";
}

std::string plain(std::string_view key) {
  return "{{ value_json." + std::string(key) + " }}";
}

// The fields of a switch: `on` and `off` are the commands it publishes.
std::string switchFields(std::string_view on, std::string_view off, const std::string& state) {
  return "\"command_topic\": \"~/set\", \"payload_on\": " + jsonString(on) +
         ", \"payload_off\": " + jsonString(off) +
         ", \"state_on\": \"ON\", \"state_off\": \"OFF\", \"value_template\": " + jsonString(state);
}

std::string sensorFields(std::string_view deviceClass, std::string_view unit,
                         std::string_view stateClass, const std::string& value) {
  return "\"device_class\": " + jsonString(deviceClass) +
         ", \"unit_of_measurement\": " + jsonString(unit) +
         ", \"state_class\": " + jsonString(stateClass) +
         ", \"value_template\": " + jsonString(value);
}

std::string list(auto&& words) {
  std::string json = "[";
  for (const std::string_view word : words)
    json += (json.size() > 1 ? ", " : "") + jsonString(word);
  return json + "]";
}

// The words of a table's states: the options of an enum sensor. Home Assistant shows such a
// sensor as unknown while its template gives None (a value not read yet).
std::vector<std::string_view> words(const StatusTable& table) {
  std::vector<std::string_view> all;
  for (const StatusRow& row : table.rows) {
    if (!row.word.empty()) all.push_back(row.word);
  }
  return all;
}

std::string enumFields(const StatusTable& table, std::string_view key) {
  return "\"device_class\": \"enum\", \"options\": " + list(words(table)) +
         ", \"value_template\": " + jsonString(plain(key));
}

struct Entity {
  std::string_view component;
  std::string key;  // the entity's node in the topic and the end of its unique_id
  std::string name;
  std::string fields;
};

std::vector<Entity> entities() {
  std::vector<std::string_view> inputs;
  for (const InputCommand& input : inputCommands()) inputs.push_back(input.name);
  const std::string_view powers[] = {powerWord(Power::standby), powerWord(Power::on),
                                     powerWord(Power::countingDown), powerWord(Power::coolingDown)};
  std::vector<Entity> all = {
      {"switch", "power", "Power",
       switchFields("power-on", "power-off",
                    "{% if value_json.power is none %}None{% elif value_json.power in "
                    "['on', 'counting-down'] %}ON{% else %}OFF{% endif %}")},
      {"select", "input", "Input",
       "\"command_topic\": \"~/set\", \"options\": " + list(inputs) +
           ", \"value_template\": " + jsonString(plain("input"))},
      {"switch", "picture_mute", "Picture mute",
       switchFields("no-show-on", "no-show-off", onOff("picture_mute"))},
      {"switch", "sound_mute", "Sound mute",
       switchFields("sound-mute-on", "sound-mute-off", onOff("sound_mute"))},
      {"sensor", "operating_state", "Operating state",
       "\"device_class\": \"enum\", \"options\": " + list(powers) +
           ", \"value_template\": " + jsonString(plain("power"))},
      {"sensor", "lamp_hours", "Lamp hours",
       sensorFields("duration", "h", "total_increasing", plain("lamp_hours"))},
      {"sensor", "pressure", "Pressure",
       sensorFields("atmospheric_pressure", "hPa", "measurement", plain("pressure_hpa"))},
      {"sensor", "lamp_mode", "Lamp mode", enumFields(lampModeTable(), "lamp_mode")},
      {"sensor", "reversal", "Reversal", enumFields(reversalTable(), "reversal")},
  };
  for (const std::string_view sensor : kSensorNames) {
    const std::string s(sensor);
    all.push_back({"sensor", "temperature_" + s, "Temperature S" + s.substr(1),
                   sensorFields("temperature", "°C", "measurement",
                                "{{ value_json.temperatures." + s +
                                    " if value_json.temperatures else None }}")});
  }
  for (const auto& [key, name] : std::to_array<std::pair<std::string_view, std::string_view>>(
           {{"temperature_warning", "Temperature warning"},
            {"lamp_failure", "Lamp failure"},
            {"power_failure", "Power failure"}}))
    all.push_back({"binary_sensor", std::string(key), std::string(name),
                   "\"device_class\": \"problem\", \"value_template\": " + jsonString(onOff(key))});
  // Every one-shot command as a button, off until the user turns it on: the device page would
  // drown in them.
  for (const Command& command : commands()) {
    if (command.kind != CommandKind::oneShot) continue;
    all.push_back({"button", std::string(command.name), std::string(command.name),
                   "\"command_topic\": \"~/set\", \"payload_press\": " + jsonString(command.name) +
                       ", \"enabled_by_default\": false"});
  }
  return all;
}

}  // namespace

std::vector<MqttMessage> discoveryMessages(const DiscoveredDevice& device) {
  std::string shared = "\"~\": " + jsonString(device.topic) +
                       ", \"availability_topic\": \"~/availability\", \"device\": "
                       "{\"identifiers\": [" +
                       jsonString(device.id) + "], \"name\": " + jsonString(device.name) +
                       ", \"manufacturer\": " + jsonString(device.manufacturer) +
                       ", \"model\": " + jsonString(device.model);
  if (device.version) shared += ", \"sw_version\": " + jsonString(*device.version);
  shared +=
      "}, \"origin\": {\"name\": \"pv7100d\", \"sw_version\": " + jsonString(device.daemonVersion) +
      "}";
  std::vector<MqttMessage> messages;
  for (const Entity& entity : entities()) {
    messages.push_back({device.prefix + "/" + std::string(entity.component) + "/" + device.id +
                            "/" + entity.key + "/config",
                        "{\"name\": " + jsonString(entity.name) + ", \"unique_id\": " +
                            jsonString("pv7100_" + device.id + "_" + entity.key) + ", " +
                            (entity.component == "button" ? "" : "\"state_topic\": \"~/state\", ") +
                            entity.fields + ", " + shared + "}"});
  }
  return messages;
}

}  // namespace pv7100::daemon
