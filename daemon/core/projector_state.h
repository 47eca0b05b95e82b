// What the daemon knows of the projector: the last answer to each status read, decoded.
#pragma once

#include <optional>
#include <string>

namespace pv7100::daemon {

enum class Power { standby, on, coolingDown, countingDown };

// The operating state read.
struct OperatingState {
  Power power = Power::standby;
  bool lampLit = false;
  bool temperatureWarning = false;
  bool lampFailure = false;   // every lamp has failed
  bool powerFailure = false;  // the projector reports a failure of its power supply
};

struct Mutes {
  bool picture = false;
  bool sound = false;
};

// The status reads the daemon keeps, and the order in which they are first read.
enum class Read { state, input, mute, lampHours, version };
inline constexpr int kReadCount = 5;

struct ProjectorState {
  std::optional<OperatingState> operating;
  std::optional<int> inputTerminal;  // the projector's input mode, 1 to 5
  std::optional<Mutes> mutes;
  std::optional<long> lampHours;
  std::optional<std::string> version;
  // The PJLink input last selected through the daemon: tells the signal types of one terminal
  // apart, which the input read cannot.
  std::optional<int> selectedInput;
};

}  // namespace pv7100::daemon
