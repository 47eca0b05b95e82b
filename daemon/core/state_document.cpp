#include "daemon/core/state_document.h"

#include <charconv>

#include "daemon/core/json_text.h"
#include "daemon/core/projector_vocabulary.h"

namespace pv7100::daemon {
namespace {

// The input the projector shows: the input command last acknowledged when it selects the
// input mode that was read, else the plain command of that mode.
std::optional<std::string_view> inputOf(const ProjectorState& state) {
  if (!state.inputTerminal) return std::nullopt;
  if (state.selectedInput) {
    const InputCommand* selected = inputCommandNamed(*state.selectedInput);
    if (selected && selected->terminal == *state.inputTerminal) return selected->name;
  }
  const InputCommand* plain = plainInputOf(*state.inputTerminal);
  return plain ? std::optional(plain->name) : std::nullopt;
}

std::string number(double value) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}

class Writer {
 public:
  template <typename Value>
  void field(std::string_view key, const std::optional<Value>& value) {
    start(key);
    json_ += value ? text(*value) : "null";
  }
  void field(std::string_view key, bool value) {
    start(key);
    json_ += text(value);
  }
  void temperatures(const std::optional<Temperatures>& sensors) {
    start("temperatures");
    if (!sensors) {
      json_ += "null";
      return;
    }
    json_ += '{';
    for (std::size_t i = 0; i < kSensorNames.size(); ++i) {
      if (i > 0) json_ += ", ";
      json_ += jsonString(kSensorNames[i]) + ": " + number(sensors->celsius[i]);
    }
    json_ += '}';
  }
  std::string done() { return json_ + '}'; }

 private:
  void start(std::string_view key) {
    json_ += json_.size() > 1 ? ", " : "";
    json_ += jsonString(key) + ": ";
  }
  static std::string text(bool value) { return value ? "true" : "false"; }
  static std::string text(long value) { return std::to_string(value); }
  static std::string text(int value) { return std::to_string(value); }
  static std::string text(std::string_view value) { return jsonString(value); }
  static std::string text(const std::string& value) { return jsonString(value); }
  static std::string text(Power value) { return jsonString(powerWord(value)); }
  static std::string text(LampMode value) { return jsonString(stateWord(value)); }
  static std::string text(Reversal value) { return jsonString(stateWord(value)); }

  std::string json_ = "{";
};

}  // namespace

StateDocument stateDocument(const ProjectorState& state, bool answering) {
  StateDocument document;
  if (state.operating) {
    document.power = state.operating->power;
    document.temperatureWarning = state.operating->temperatureWarning;
    document.lampFailure = state.operating->lampFailure;
    document.powerFailure = state.operating->powerFailure;
  }
  document.input = inputOf(state);
  if (state.mutes) {
    document.pictureMute = state.mutes->picture;
    document.soundMute = state.mutes->sound;
  }
  document.freeze = state.freeze;
  document.lampHours = state.lampHours;
  document.lampMode = state.lampMode;
  document.reversal = state.reversal;
  document.temperatures = state.temperatures;
  document.pressureHpa = state.pressureHpa;
  document.version = state.version;
  document.answering = answering;
  return document;
}

std::string_view powerWord(Power power) {
  switch (power) {
    case Power::standby:
      return "standby";
    case Power::on:
      return "on";
    case Power::countingDown:
      return "counting-down";
    case Power::coolingDown:
      return "cooling-down";
  }
  return "standby";
}

std::string stateJson(const StateDocument& document) {
  Writer json;
  json.field("power", document.power);
  json.field("input", document.input);
  json.field("picture_mute", document.pictureMute);
  json.field("sound_mute", document.soundMute);
  json.field("freeze", document.freeze);
  json.field("lamp_hours", document.lampHours);
  json.field("lamp_mode", document.lampMode);
  json.field("reversal", document.reversal);
  json.temperatures(document.temperatures);
  json.field("pressure_hpa", document.pressureHpa);
  json.field("version", document.version);
  json.field("temperature_warning", document.temperatureWarning);
  json.field("lamp_failure", document.lampFailure);
  json.field("power_failure", document.powerFailure);
  json.field("answering", document.answering);
  return json.done();
}

}  // namespace pv7100::daemon
