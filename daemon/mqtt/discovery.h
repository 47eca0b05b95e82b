// Home Assistant's MQTT discovery: one retained config message per entity under
// PREFIX/COMPONENT/ID/KEY/config, all of one device (the projector), each with its unique_id and
// the availability topic. The entities read the state topic's JSON; the controls publish a
// command's public name on the set topic, as any client may.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pv7100::daemon {

struct DiscoveredDevice {
  std::string prefix;  // "homeassistant"
  std::string topic;   // the base topic T
  std::string id;      // "hall": the device's identifier and the node in each topic
  std::string name;    // the projector's name
  std::string manufacturer;
  std::string model;
  std::optional<std::string> version;  // the projector's, once read
  std::string daemonVersion;
};

struct MqttMessage {
  std::string topic;
  std::string payload;
};

std::vector<MqttMessage> discoveryMessages(const DiscoveredDevice& device);

}  // namespace pv7100::daemon
