// What the daemon does with each PJLink Class 1 and Class 2 request: answer it from what it knows,
// wait for a status read first, or send commands to the projector. Pure: the caller does the
// waiting and the sending.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "daemon/core/projector_state.h"
#include "daemon/pjlink/request.h"

namespace pv7100::daemon {

// PJLink's errors: undefined command, out of parameter, unavailable time, projector failure.
inline constexpr std::string_view kUndefined = "ERR1";
inline constexpr std::string_view kBadParameter = "ERR2";
inline constexpr std::string_view kNotNow = "ERR3";
inline constexpr std::string_view kFailure = "ERR4";
inline constexpr std::string_view kDone = "OK";

// The longest texts PJLink allows for NAME, INF1, INF2 and INFO.
inline constexpr std::size_t kMaxNameLength = 64;
inline constexpr std::size_t kMaxMakerLength = 32;
inline constexpr std::size_t kMaxInfoLength = 32;

struct Identity {
  std::string name;
  std::string manufacturer;
};

struct Knowledge {
  const ProjectorState& state;
  // The port is open and the projector has not stopped answering (it may not have yet).
  bool answering = false;
  std::array<bool, kReadCount> fresh{};
  bool mayWait = true;  // false once the request has waited for a read
  // A button is held: what is known is answered at once, what is not is waited for.
  bool holding = false;
};

struct Decision {
  enum class Kind { answer, wait, act };
  Kind kind = Kind::answer;
  std::string result;       // answer: what follows "=" in the reply
  Read read = Read::state;  // wait: the read to wait for, then decide again
  // act: the commands, by name, sent in order, each to be acknowledged.
  std::vector<std::string_view> commands;
};

Decision decide(const Request& request, const Knowledge& knowledge, const Identity& identity);

// Each of `commands` sets a mute to what the state says it is already: a change whose lines
// left are these has ended in the state it asked for.
bool inEffect(const std::vector<std::string_view>& commands, const ProjectorState& state);

}  // namespace pv7100::daemon
