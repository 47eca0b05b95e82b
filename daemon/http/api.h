// The JSON the web API answers with, beside the state document's own: the command list, a
// command's outcome, a hold, an error; and the HTTP status that fits each outcome.
#pragma once

#include <string>
#include <string_view>

#include "daemon/core/command_door.h"

namespace pv7100::daemon {

// [{"name": "power-on", "group": "POWER", "caption": "ON", "kind": "one-shot",
//   "period_ms": null}, ...], every command in the panel's order.
std::string commandListJson();

// {"command": "power-on", "outcome": "ack", "error": null}, as MQTT's result topic has it.
std::string outcomeJson(std::string_view command, const CommandDoor::Result& result);
// 200 for an acknowledgement, 409 (not now) for a refusal by the projector or a button held
// elsewhere, 504 when it did not answer, 503 when its port is gone, 404 for an unknown name,
// 400 for a request that cannot be.
int statusOf(const CommandDoor::Result& result);

// {"error": "..."}
std::string errorJson(std::string_view error);

}  // namespace pv7100::daemon
