// The MQTT face's settings: the broker, the login, TLS, the topics and discovery.
#pragma once

#include <span>
#include <string>

#include "daemon/core/setting_row.h"

namespace pv7100::daemon {

// On when host is set; port 0 is 1883, or 8883 with a CA file (TLS).
struct MqttOptions {
  std::string host;
  int port = 0;
  std::string id;     // from the config file's name, else the projector's name
  std::string topic;  // pv7100/ID when not given
  std::string username;
  std::string passwordFile;
  std::string caFile;
  std::string discoveryPrefix = "homeassistant";  // "" for none
};

std::span<const SettingRow<MqttOptions>> mqttSettingRows();

}  // namespace pv7100::daemon
