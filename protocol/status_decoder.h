// Turns the reply to a status read into words for the STATUS line, and into a value where the
// reply carries one. Works on R, the monitor text of the whole reply buffer as the RXD line
// shows it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace pv7100 {

// "CR0".
enum class OperatingState {
  powerOn,
  standby,
  countDown,
  coolingDown,
  powerFail,
  temperatureWarning,
  noKeyInput,
  lampOffByPowerManagement,
  temperatureWarningCoolingDown,
  lampOffTemperatureWarning,
  temperatureWarningRecovered,
  coolingDownAllLampsFailed,
  standbyAllLampsFailed,
};

// "CR7".
enum class LampMode {
  off,
  on,
  twoLampsLamp2On,
  twoLampsBothOn,
  oneLampLamp1Off,
  oneLampLamp1On,
  oneLampLamp2Off,
  oneLampLamp2On,
};

// "CR4".
enum class Reversal { normal, topBottom, leftRight, both };

struct LampHours {
  long hours = 0;
  bool operator==(const LampHours&) const = default;
};

struct PressureHpa {
  int hpa = 0;
  bool operator==(const PressureHpa&) const = default;
};

// Sensors S1 to S4, degrees Celsius.
struct Temperatures {
  std::array<double, 4> celsius{};
  bool operator==(const Temperatures&) const = default;
};

using StatusValue = std::variant<std::monostate, OperatingState, LampMode, Reversal, LampHours,
                                 PressureHpa, Temperatures>;

struct DecodedStatus {
  std::string text;   // the STATUS line's text
  StatusValue value;  // std::monostate when the reply carries no number or state
};

// What `commandLine`'s reply decodes to when `commandLine` is exactly one of the nine status
// reads (code and CR) and R decodes; std::nullopt leaves the STATUS line as it is.
std::optional<DecodedStatus> decodeStatus(std::string_view commandLine, std::string_view r);

// Lower-case words joined by hyphens: "power-on", "standby", "one-lamp-lamp1-on".
std::string_view stateWord(OperatingState state);
std::string_view stateWord(LampMode mode);
std::string_view stateWord(Reversal reversal);

}  // namespace pv7100
