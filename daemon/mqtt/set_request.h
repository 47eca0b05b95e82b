// What a message on the set topic asks for: a command by its public name ("power-on"), or a
// hold of a hold-to-repeat command as JSON ({"command": "zoom-plus", "for_ms": 1000}). Only the
// shape is checked here; whether the name is a command, and one that can be held that long, is
// the command door's to say.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace pv7100::daemon {

// A payload longer than this is refused unread.
inline constexpr std::size_t kMaxSetPayload = 1024;

struct SetRequest {
  std::string command;                               // "" when the payload named none
  std::optional<std::chrono::milliseconds> holdFor;  // a hold, for so long
  std::string error;                                 // why it is refused; "" when it is not
};

SetRequest parseSetRequest(std::string_view payload);

}  // namespace pv7100::daemon
