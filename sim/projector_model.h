// The simulated PV7100: its state, the reply to each command line, and the passing of time.
// Pure: time is passed in by the caller, nothing here reads a clock or touches a device.
#pragma once

#include <string>
#include <string_view>

#include "sim/sensors.h"
#include "sim/sim_time.h"
#include "sim/vocabulary.h"

namespace pv7100::sim {

// The reply to a code the projector does not know or refuses in its present state: NAK and CR.
inline constexpr std::string_view kNegativeReply = "\x15\r";

// The firmware version, answered to "CR9" and shown by --version.
inline constexpr std::string_view kVersion = "1.00";

enum class PowerState { StandBy, CountDown, On, CoolingDown };

// Which lamps burn while the projector is on.
enum class LampUse { Both, Lamp1, Lamp2 };

struct ModelSettings {
  Millis countDownMs = 15'000;
  Millis coolDownMs = 30'000;
  int lampHours = 1234;  // on the lamp counter at start
};

class ProjectorModel {
 public:
  // The projector in stand-by at time 0.
  explicit ProjectorModel(const ModelSettings& settings = {});

  // Lets time run to `now` (earlier times are ignored), then answers `code`, a command line
  // without its CR. The reply is the exact bytes to send back.
  std::string respond(std::string_view code, Millis now);

  // Lets time run to `now`: count down and cooling down end, the lamp ages, temperatures move.
  void advanceTo(Millis now);

  PowerState power() const { return power_; }

 private:
  std::string perform(const Command& command);
  std::string status(StatusRead read) const;
  bool lampLit() const { return power_ == PowerState::CountDown || power_ == PowerState::On; }
  void runFor(Millis duration);

  std::string operatingState() const;
  std::string lampHours() const;
  std::string temperatures() const;
  std::string lampMode() const;
  std::string muteAndSignal() const;

  ModelSettings settings_;
  Millis now_ = 0;
  PowerState power_ = PowerState::StandBy;
  Millis phaseEnds_ = 0;  // when the count down or cooling down in progress ends
  int input_ = 1;
  bool soundMuted_ = false;
  bool pictureMuted_ = false;
  LampUse lampUse_ = LampUse::Both;
  bool fanMax_ = false;
  Millis lampLitMs_ = 0;
  Thermometers thermometers_;
};

}  // namespace pv7100::sim
