#include "daemon/core/projector_vocabulary.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"
#include "protocol/status_reads.h"

namespace pv7100::daemon {
namespace {

// clang-format off
constexpr std::array kInputCommands = std::to_array<InputCommand>({
    {"input-1", 1},
    {"input-2", 2},
    {"input-3", 3},
    {"input-network", 4},
    {"input-1-rgb", 1},
    {"input-1-scart", 1},
    {"input-1-dvi-pc", 1},
    {"input-1-dvi-av-hdcp", 1},
    {"input-2-rgb", 2},
    {"input-2-video", 2},
    {"input-2-y-pb-cb-pr-cr", 2},
    {"input-3-video", 3},
    {"input-3-s-video", 3},
});

// The status read by its name in pv7100ctl's words, in the order of Read.
constexpr std::array<std::string_view, kReadCount> kReadNames = {
    "state", "input", "mute", "lamp-hours", "version", "temperatures", "pressure", "lamp-mode",
    "reversal"};
// clang-format on

// What each operating state means for power, the lamp and the failures.
OperatingState operating(pv7100::OperatingState state) {
  using In = pv7100::OperatingState;
  switch (state) {
    case In::powerOn:
    case In::noKeyInput:
      return {Power::on, true, false, false, false};
    case In::standby:
    case In::lampOffByPowerManagement:
      return {};
    case In::countDown:
      return {Power::countingDown, true, false, false, false};
    case In::coolingDown:
      return {Power::coolingDown, false, false, false, false};
    case In::powerFail:
      return {Power::standby, false, false, false, true};
    case In::temperatureWarning:
      return {Power::on, true, true, false, false};
    case In::temperatureWarningCoolingDown:
      return {Power::coolingDown, false, true, false, false};
    case In::lampOffTemperatureWarning:
    case In::temperatureWarningRecovered:
      return {Power::standby, false, true, false, false};
    case In::coolingDownAllLampsFailed:
      return {Power::coolingDown, false, false, true, false};
    case In::standbyAllLampsFailed:
      return {Power::standby, false, false, true, false};
  }
  return {};
}

// The reply without its CR, or nullopt when it is not a status reply (ACK, NAK, no CR).
std::optional<std::string_view> replyText(std::string_view reply) {
  if (!reply.ends_with(kCarriageReturn) || reply.find_first_of("\x06\x15") != reply.npos)
    return std::nullopt;
  return reply.substr(0, reply.size() - 1);
}

// The STATUS line the panel would show for `reply` to `read`.
std::optional<DecodedStatus> decoded(Read read, std::string_view reply) {
  if (!replyText(reply)) return std::nullopt;
  return decodeStatus(commandLine(readCode(read)), renderMonitor(reply));
}

template <typename Value>
std::optional<Value> valueOf(Read read, std::string_view reply) {
  const std::optional<DecodedStatus> status = decoded(read, reply);
  if (!status || !std::holds_alternative<Value>(status->value)) return std::nullopt;
  return std::get<Value>(status->value);
}

bool takeInput(std::string_view reply, ProjectorState& state) {
  const std::optional<DecodedStatus> status = decoded(Read::input, reply);
  constexpr std::string_view kPrefix = " Input mode ";
  if (!status || !status->text.starts_with(kPrefix) || status->text.size() != kPrefix.size() + 1)
    return false;
  state.inputTerminal = status->text.back() - '0';
  return true;
}

// Stand-by reads as nothing muted; "No signal" hides the mutes, and what was known stands.
bool takeMutes(std::string_view reply, ProjectorState& state) {
  const std::optional<DecodedStatus> status = decoded(Read::mute, reply);
  if (!status) return false;
  const std::string& text = status->text;
  if (text == " No signal") return true;
  if (text == " Video & Audio mute OFF" || text == " Stand by") {
    state.mutes = Mutes{false, false};
  } else if (text == " Video mute ON") {
    state.mutes = Mutes{true, false};
  } else if (text == " Audio mute ON") {
    state.mutes = Mutes{false, true};
  } else if (text == " Video & Audio mute ON") {
    state.mutes = Mutes{true, true};
  } else {
    return false;
  }
  return true;
}

bool takeLampHours(std::string_view reply, ProjectorState& state) {
  const std::optional<std::string_view> text = replyText(reply);
  long hours = 0;
  if (!text || text->empty()) return false;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), hours);
  if (error != std::errc{} || end != text->data() + text->size() || hours < 0) return false;
  state.lampHours = hours;
  return true;
}

bool takeVersion(std::string_view reply, ProjectorState& state) {
  const std::optional<std::string_view> text = replyText(reply);
  if (!text) return false;
  std::string printable;
  for (const char c : *text) {
    if (c >= ' ' && c <= '~') printable += c;
  }
  state.version = std::move(printable);
  return true;
}

// Stores what the read's decoder gives, when it gives a value of that kind.
template <typename Value, typename Field>
bool takeValue(Read read, std::string_view reply, Field& field) {
  const std::optional<Value> value = valueOf<Value>(read, reply);
  if (value) field = *value;
  return value.has_value();
}

}  // namespace

std::string_view readCode(Read read) {
  return statusReadNamed(kReadNames[static_cast<int>(read)])->code;
}

std::span<const InputCommand> inputCommands() {
  return kInputCommands;
}

const InputCommand* inputCommandNamed(std::string_view name) {
  const auto found = std::ranges::find(kInputCommands, name, &InputCommand::name);
  return found == kInputCommands.end() ? nullptr : &*found;
}

const InputCommand* plainInputOf(int terminal) {
  const auto found = std::ranges::find(kInputCommands, terminal, &InputCommand::terminal);
  return found == kInputCommands.end() ? nullptr : &*found;
}

CommandEffect effectOf(const Command& command) {
  const std::string_view name = command.name;
  CommandEffect effect;
  if (name == "power-on" || name == "power-off") {
    // Switching on or off also ends the mutes.
    effect.reads = {Read::state, Read::mute};
    effect.forgetsFreeze = true;
  } else if (name == "no-show-on" || name == "no-show-off") {
    effect.reads = {Read::mute};
    effect.pictureMute = name == "no-show-on";
  } else if (name == "sound-mute-on" || name == "sound-mute-off") {
    effect.reads = {Read::mute};
    effect.soundMute = name == "sound-mute-on";
  } else if (inputCommandNamed(name)) {
    effect.reads = {Read::input};
    effect.selectsInput = true;
  } else if (name == "lamp-change" || name == "lamp-1" || name == "lamp-2") {
    effect.reads = {Read::lampMode};
  } else if (name == "freeze-on" || name == "freeze-off") {
    effect.freeze = name == "freeze-on";
  }
  return effect;
}

const Command* commandWithCode(std::string_view code) {
  const auto all = commands();
  const auto found = std::ranges::find(all, code, &Command::code);
  return found == all.end() ? nullptr : &*found;
}

bool takeReply(Read read, std::string_view reply, ProjectorState& state) {
  switch (read) {
    case Read::state:
      if (const auto value = valueOf<pv7100::OperatingState>(read, reply)) {
        state.operating = operating(*value);
        return true;
      }
      return false;
    case Read::input:
      return takeInput(reply, state);
    case Read::mute:
      return takeMutes(reply, state);
    case Read::lampHours:
      return takeLampHours(reply, state);
    case Read::version:
      return takeVersion(reply, state);
    case Read::temperatures:
      return takeValue<Temperatures>(read, reply, state.temperatures);
    case Read::pressure:
      if (const auto value = valueOf<PressureHpa>(read, reply)) {
        state.pressureHpa = value->hpa;
        return true;
      }
      return false;
    case Read::lampMode:
      return takeValue<LampMode>(read, reply, state.lampMode);
    case Read::reversal:
      return takeValue<Reversal>(read, reply, state.reversal);
  }
  return false;
}

}  // namespace pv7100::daemon
