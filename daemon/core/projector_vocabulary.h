// Every command code the daemon sends and every status reply it reads, in one place: the
// daemon's only contact with the protocol's command table and status decoder.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "daemon/core/projector_state.h"

namespace pv7100::daemon {

enum class Command { powerOn, powerOff, pictureMuteOn, pictureMuteOff, soundMuteOn, soundMuteOff };

// The code of `command`, without its CR.
std::string_view commandCode(Command command);
// The code of status read `read`, without its CR.
std::string_view readCode(Read read);

// One of the projector's inputs as a PJLink input.
struct InputChoice {
  int pjlinkCode;  // 11 to 59: the type (1 RGB, 2 VIDEO, 3 DIGITAL, 5 NETWORK) and a number
  int terminal;    // the input mode the projector reports once it is selected
  std::string_view code;
};

// In PJLink order; the first choice of each terminal is what an input read of that terminal
// is reported as when the daemon did not select it.
std::span<const InputChoice> inputChoices();
const InputChoice* findInput(int pjlinkCode);

// The decoded replies; nullopt when a reply is not one the read gives.
std::optional<OperatingState> decodeOperatingState(std::string_view reply);
std::optional<int> decodeInputTerminal(std::string_view reply);
// Stand-by reads as nothing muted; nullopt also for "no signal", which hides the mutes.
std::optional<Mutes> decodeMutes(std::string_view reply);
std::optional<long> decodeLampHours(std::string_view reply);
std::optional<std::string> decodeVersion(std::string_view reply);

}  // namespace pv7100::daemon
