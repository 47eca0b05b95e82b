// The projector's state in PJLink's words, the same for the answers on TCP and the notifications
// on UDP: the power as a digit, the input as its PJLink number, the mutes and the error status
// as their codes; and the projector's inputs as PJLink inputs, with the names the panel gives
// them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "daemon/core/projector_state.h"

namespace pv7100::daemon {

// One of the projector's inputs as a PJLink input: the type (1 RGB, 2 VIDEO, 3 DIGITAL,
// 5 NETWORK) and a number, the command that selects it, and its name.
struct PjlinkInput {
  int code;
  std::string_view command;
  std::string_view name;
};

const PjlinkInput* pjlinkInputWithCode(int code);
// The INST answer: every PJLink input, space-separated.
std::string pjlinkInputList();

// "0" standby, "1" on, "2" cooling down, "3" counting down.
std::string powerCode(Power power);
// The PJLink input the projector shows: the one last selected when it is on the terminal
// read, else the first of that terminal; nullopt while the terminal is unknown or has none.
std::optional<std::string> inputCode(const ProjectorState& state);
// "11" picture muted, "21" sound muted, "31" both, "30" neither.
std::string muteCode(const Mutes& mutes);
// Fan, lamp, temperature, cover, filter, other: 0 fine, 1 warning, 2 error.
std::string errorCode(const OperatingState& operating);

}  // namespace pv7100::daemon
