// The state document: everything the daemon knows of the projector, decoded and typed, the same
// for every face (MQTT's state topic, the web API's state, the metrics). A value not read since
// the projector last began to answer is null: while it does not answer, all of them are.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "daemon/core/projector_state.h"

namespace pv7100::daemon {

struct StateDocument {
  std::optional<Power> power;
  std::optional<std::string_view> input;  // the public name of an input command
  std::optional<bool> pictureMute;
  std::optional<bool> soundMute;
  std::optional<bool> freeze;  // from the freeze commands acknowledged, null until one is
  std::optional<long> lampHours;
  std::optional<LampMode> lampMode;
  std::optional<Reversal> reversal;
  std::optional<Temperatures> temperatures;
  std::optional<int> pressureHpa;
  std::optional<std::string> version;
  std::optional<bool> temperatureWarning;
  std::optional<bool> lampFailure;
  std::optional<bool> powerFailure;
  bool answering = false;  // the port is open and the projector answers
  bool operator==(const StateDocument&) const = default;
};

// The temperature sensors by name, S1 to S4.
inline constexpr std::array<std::string_view, 4> kSensorNames = {"s1", "s2", "s3", "s4"};

StateDocument stateDocument(const ProjectorState& state, bool answering);

// "standby", "on", "counting-down", "cooling-down".
std::string_view powerWord(Power power);

// The document as one JSON object on one line, its keys in a fixed order:
// {"power": "on", "input": "input-1", ..., "answering": true}
std::string stateJson(const StateDocument& document);

}  // namespace pv7100::daemon
