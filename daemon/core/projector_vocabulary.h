// What the daemon reads from the projector and what its commands change, in one place: the
// core's only contact with the protocol's command table and status decoder.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "daemon/core/projector_state.h"
#include "protocol/commands.h"

namespace pv7100::daemon {

// The code of status read `read`, without its CR.
std::string_view readCode(Read read);

// An input command and the input mode the projector reports once it is selected.
struct InputCommand {
  std::string_view name;  // "input-2-video"
  int terminal;
};

// Every input command, the four plain ones ("input-1" ... "input-network") first.
std::span<const InputCommand> inputCommands();
const InputCommand* inputCommandNamed(std::string_view name);
// The plain input command of input mode `terminal`, nullptr for a mode none selects.
const InputCommand* plainInputOf(int terminal);

// What an acknowledged command is known to have changed: the reads to take again, and what
// the acknowledgement tells at once.
struct CommandEffect {
  std::vector<Read> reads;
  std::optional<bool> pictureMute;
  std::optional<bool> soundMute;
  bool selectsInput = false;
  std::optional<bool> freeze;
  bool forgetsFreeze = false;  // switching on or off ends a freeze or not, nobody says
};
CommandEffect effectOf(const Command& command);
// The command whose line is `code` (without its CR), nullptr when it is none of the buttons'.
const Command* commandWithCode(std::string_view code);

// Takes the reply to `read` into `state`; false when the reply is not one the read gives (the
// state is left as it was).
bool takeReply(Read read, std::string_view reply, ProjectorState& state);

}  // namespace pv7100::daemon
