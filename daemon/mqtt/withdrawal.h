// pv7100d --mqtt-withdraw: what a removed daemon left retained on the broker, taken away.
#pragma once

#include "daemon/mqtt/mqtt_face.h"

namespace pv7100::daemon {

// Takes what a daemon on `settings` leaves retained on the broker away (its discovery configs,
// state and availability) with empty retained messages, unless another daemon serves its
// topic; false, told on `log`, when that cannot be done within 15 s. Runs its own event loop.
bool withdraw(const MqttSettings& settings, EventLog& log);

}  // namespace pv7100::daemon
