// The command codes the simulated projector understands and what each one does.
#pragma once

#include <optional>
#include <string_view>

namespace pv7100::sim {

enum class Action {
  PowerOn,
  PowerOff,
  SelectInput,  // argument: the input mode, 1 to 4
  SoundMute,    // argument: 1 on, 0 off
  PictureMute,  // argument: 1 on, 0 off
  SelectLamp,   // argument: 1 or 2, the one lamp to use
  ChangeLamp,   // steps through both lamps, lamp 1 alone, lamp 2 alone
  FanSpeed,     // argument: 1 maximum, 0 normal
  Operate,      // a control whose effect cannot be read back; needs the lamp lit
  ReadStatus,   // argument: a StatusRead
};

enum class StatusRead {
  OperatingState,  // "CR0"
  InputMode,       // "CR1"
  LampHours,       // "CR3"
  Reversal,        // "CR4"
  Temperatures,    // "CR6"
  LampMode,        // "CR7"
  Version,         // "CR9"
  MuteAndSignal,   // "CRA"
  Pressure,        // "CR PRESSURE"
};

struct Command {
  std::string_view code;
  Action action;
  int argument;
};

// The command with exactly this code (case-sensitive), if there is one.
std::optional<Command> findCommand(std::string_view code);

}  // namespace pv7100::sim
