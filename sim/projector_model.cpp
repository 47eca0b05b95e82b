#include "sim/projector_model.h"

#include <algorithm>
#include <cstdio>

#include "protocol/line_format.h"

namespace pv7100::sim {
namespace {

constexpr Millis kMsPerHour = 3'600'000;
constexpr int kMaxLampHours = 99'999;
constexpr int kNetworkInput = 4;  // nothing is plugged into it, so it never has a signal

// A status reply as the projector sends it: the text and one CR.
std::string replyLine(std::string_view text) {
  std::string line(text);
  line += kCarriageReturn;
  return line;
}

std::string ack() {
  return std::string(1, kAck);
}

double shownCelsius(double celsius) {
  return std::clamp(celsius, 0.0, 99.9);
}

}  // namespace

ProjectorModel::ProjectorModel(const ModelSettings& settings) : settings_(settings) {}

std::string ProjectorModel::respond(std::string_view code, Millis now) {
  advanceTo(now);
  const std::optional<Command> command = findCommand(code);
  if (!command) return std::string(kNegativeReply);
  return perform(*command);
}

void ProjectorModel::advanceTo(Millis now) {
  for (;;) {
    const bool inPhase = power_ == PowerState::CountDown || power_ == PowerState::CoolingDown;
    const Millis until = inPhase ? std::min(now, phaseEnds_) : now;
    if (until > now_) {
      runFor(until - now_);
      now_ = until;
    }
    if (!inPhase || now_ < phaseEnds_) return;
    power_ = power_ == PowerState::CountDown ? PowerState::On : PowerState::StandBy;
  }
}

void ProjectorModel::runFor(Millis duration) {
  if (lampLit()) lampLitMs_ += duration;
  thermometers_.pass(duration, lampLit(), fanMax_);
}

std::string ProjectorModel::perform(const Command& command) {
  // Commands that work in every power state.
  switch (command.action) {
    case Action::PowerOn:
      if (power_ == PowerState::CoolingDown) return std::string(kNegativeReply);
      if (power_ == PowerState::StandBy) {
        power_ = PowerState::CountDown;
        phaseEnds_ = now_ + settings_.countDownMs;
      }
      return ack();
    case Action::PowerOff:
      if (lampLit()) {
        power_ = PowerState::CoolingDown;
        phaseEnds_ = now_ + settings_.coolDownMs;
        soundMuted_ = false;
        pictureMuted_ = false;
      }
      return ack();
    case Action::SelectLamp:
      lampUse_ = command.argument == 1 ? LampUse::Lamp1 : LampUse::Lamp2;
      return ack();
    case Action::ChangeLamp:
      lampUse_ = lampUse_ == LampUse::Both    ? LampUse::Lamp1
                 : lampUse_ == LampUse::Lamp1 ? LampUse::Lamp2
                                              : LampUse::Both;
      return ack();
    case Action::FanSpeed:
      fanMax_ = command.argument == 1;
      return ack();
    case Action::ReadStatus:
      return status(static_cast<StatusRead>(command.argument));
    case Action::SelectInput:
    case Action::SoundMute:
    case Action::PictureMute:
    case Action::Operate:
      break;
  }
  // The picture controls: nothing to act on while the lamp is dark.
  if (!lampLit()) return std::string(kNegativeReply);
  switch (command.action) {
    case Action::SelectInput:
      input_ = command.argument;
      break;
    case Action::SoundMute:
      soundMuted_ = command.argument == 1;
      break;
    case Action::PictureMute:
      pictureMuted_ = command.argument == 1;
      break;
    default:
      break;
  }
  return ack();
}

std::string ProjectorModel::status(StatusRead read) const {
  switch (read) {
    case StatusRead::OperatingState:
      return operatingState();
    case StatusRead::InputMode:
      return replyLine(std::to_string(input_));
    case StatusRead::LampHours:
      return lampHours();
    case StatusRead::Reversal:
      return replyLine("11");  // the picture is never reversed: no command turns it
    case StatusRead::Temperatures:
      return temperatures();
    case StatusRead::LampMode:
      return lampMode();
    case StatusRead::Version:
      return replyLine("PV7100 SIM V" + std::string(kVersion));
    case StatusRead::MuteAndSignal:
      return muteAndSignal();
    case StatusRead::Pressure:
      return replyLine(std::to_string(pressureReading(now_)));
  }
  return std::string(kNegativeReply);
}

std::string ProjectorModel::operatingState() const {
  switch (power_) {
    case PowerState::StandBy:
      return replyLine("80");
    case PowerState::CountDown:
      return replyLine("40");
    case PowerState::On:
      return replyLine("00");
    case PowerState::CoolingDown:
      return replyLine("20");
  }
  return std::string(kNegativeReply);
}

std::string ProjectorModel::lampHours() const {
  const auto hours = std::min<Millis>(settings_.lampHours + lampLitMs_ / kMsPerHour, kMaxLampHours);
  char digits[8];
  std::snprintf(digits, sizeof digits, "%05d", static_cast<int>(hours));
  return replyLine(digits);
}

// Reply characters 1-5, 8-11, 14-17 and 21-24 hold S1 to S4; blanks fill the rest.
std::string ProjectorModel::temperatures() const {
  char text[32];
  std::snprintf(
      text, sizeof text, "%5.1f  %4.1f  %4.1f   %4.1f",
      shownCelsius(thermometers_.reading(0, now_)), shownCelsius(thermometers_.reading(1, now_)),
      shownCelsius(thermometers_.reading(2, now_)), shownCelsius(thermometers_.reading(3, now_)));
  return replyLine(text);
}

std::string ProjectorModel::lampMode() const {
  const bool lit = lampLit();
  switch (lampUse_) {
    case LampUse::Both:
      return replyLine(lit ? "03" : "00");
    case LampUse::Lamp1:
      return replyLine(lit ? "11" : "10");
    case LampUse::Lamp2:
      return replyLine(lit ? "22" : "20");
  }
  return std::string(kNegativeReply);
}

std::string ProjectorModel::muteAndSignal() const {
  if (!lampLit()) return replyLine("FF");
  if (input_ == kNetworkInput) return replyLine("80");
  const int bits = (pictureMuted_ ? 1 : 0) | (soundMuted_ ? 2 : 0);
  const char code[] = {'0', static_cast<char>('0' + bits)};
  return replyLine(std::string_view(code, sizeof code));
}

}  // namespace pv7100::sim
