// The settings of the faces that need more than their options: files read (passwords,
// certificates) and the rules that hold between settings (a password beyond loopback).
#pragma once

#include <string>

#include <QHostAddress>

#include "daemon/http/face.h"
#include "daemon/mqtt/mqtt_face.h"
#include "daemon/options.h"

namespace pv7100::daemon {

// The web face's settings, its password PJLink's unless it has its own. Throws UsageError.
WebSettings webSettings(const Options& options, const std::string& pjlinkPassword);

// The MQTT face's settings. Throws UsageError for a password or CA file that cannot be read.
MqttSettings mqttSettings(const Options& options);

// An address as messages show it: "127.0.0.1", "[::1]".
std::string addressText(const QHostAddress& address);

}  // namespace pv7100::daemon
