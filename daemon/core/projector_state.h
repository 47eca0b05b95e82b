// What the daemon knows of the projector: the last answer to each status read, decoded.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/status_decoder.h"

namespace pv7100::daemon {

enum class Power { standby, on, coolingDown, countingDown };

// The operating state read.
struct OperatingState {
  Power power = Power::standby;
  bool lampLit = false;
  bool temperatureWarning = false;
  bool lampFailure = false;   // every lamp has failed
  bool powerFailure = false;  // the projector reports a failure of its power supply
  bool operator==(const OperatingState&) const = default;
};

struct Mutes {
  bool picture = false;
  bool sound = false;
  bool operator==(const Mutes&) const = default;
};

// The status reads the daemon keeps, in the order in which they are first read. The details
// (from temperatures on) are read only when a face shows them.
enum class Read {
  state,
  input,
  mute,
  lampHours,
  version,
  temperatures,
  pressure,
  lampMode,
  reversal
};
inline constexpr int kReadCount = 9;
inline constexpr Read kFirstDetail = Read::temperatures;

struct ProjectorState {
  std::optional<OperatingState> operating;
  std::optional<int> inputTerminal;  // the projector's input mode, 1 to 5
  std::optional<Mutes> mutes;
  std::optional<long> lampHours;
  std::optional<std::string> version;
  std::optional<Temperatures> temperatures;  // sensors S1 to S4
  std::optional<int> pressureHpa;
  std::optional<LampMode> lampMode;
  std::optional<Reversal> reversal;
  // The input command last acknowledged ("input-2-video"), whichever face sent it: tells the
  // signal types of one terminal apart, which the input read cannot.
  std::optional<std::string_view> selectedInput;
  // Whether the picture is frozen, from the freeze commands acknowledged: no read tells it, so
  // it is unknown until one is, and again once the power or the port changes.
  std::optional<bool> freeze;
  bool operator==(const ProjectorState&) const = default;
};

}  // namespace pv7100::daemon
