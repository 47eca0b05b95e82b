#include "daemon/projector_vocabulary.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <stdexcept>

#include "protocol/commands.h"
#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"

namespace pv7100::daemon {
namespace {

struct Button {
  std::string_view group;
  std::string_view caption;
};

// The code the panel's button sends.
std::string_view codeOf(Button button) {
  for (const OneShotCommand& command : oneShotCommands()) {
    if (command.group == button.group && command.caption == button.caption) return command.code;
  }
  throw std::logic_error("no button " + std::string(button.caption) + " in " +
                         std::string(button.group));
}

// clang-format off
const std::array kInputs = std::to_array<InputChoice>({
    {11, 1, codeOf({"input type 1", "RGB"})},
    {12, 2, codeOf({"input type 2", "RGB"})},
    {21, 2, codeOf({"input type 2", "VIDEO"})},
    {22, 2, codeOf({"input type 2", "Y,Pb/Cb,Pr/Cr"})},
    {23, 3, codeOf({"input type 3", "VIDEO"})},
    {24, 3, codeOf({"input type 3", "S-VIDEO"})},
    {25, 1, codeOf({"input type 1", "SCART"})},
    {31, 1, codeOf({"input type 1", "DVI(PC)"})},
    {32, 1, codeOf({"input type 1", "DVI(AV HDCP)"})},
    {51, 4, codeOf({"INPUT MODE SET", "NETWORK"})},
});
// clang-format on

struct StateText {
  std::string_view text;
  OperatingState state;
};

// What each line of the operating state read means.
constexpr std::array kStates = std::to_array<StateText>({
    {" Power ON", {Power::on, true, false, false, false}},
    {" Stand by", {Power::standby, false, false, false, false}},
    {" Count down", {Power::countingDown, true, false, false, false}},
    {" Cooling down", {Power::coolingDown, false, false, false, false}},
    {" Power Fail", {Power::standby, false, false, false, true}},
    {" Temperature Warning(Power ON)", {Power::on, true, true, false, false}},
    {" NO Key input ", {Power::on, true, false, false, false}},
    {" Lamp OFF by PWR Management", {Power::standby, false, false, false, false}},
    {" Temperature Warning & cooling down", {Power::coolingDown, false, true, false, false}},
    {" Lamp OFF & Tempereture Warning by PWR Management",
     {Power::standby, false, true, false, false}},
    {" Temperature Warning and recoverd", {Power::standby, false, true, false, false}},
    {" Cooling down (All Lamp FAIL)", {Power::coolingDown, false, false, true, false}},
    {" Cooling down & sutandby (All Lamp FAIL)", {Power::standby, false, false, true, false}},
});

// The status line the panel would show for `reply` to `code`.
std::optional<std::string> statusText(std::string_view code, std::string_view reply) {
  std::int16_t pressure = 0;
  return decodeStatus(commandLine(code), renderMonitor(reply), pressure);
}

// The reply without its CR, or nullopt when it is not a status reply (ACK, NAK, no CR).
std::optional<std::string_view> replyText(std::string_view reply) {
  if (!reply.ends_with(kCarriageReturn) || reply.find_first_of("\x06\x15") != reply.npos)
    return std::nullopt;
  return reply.substr(0, reply.size() - 1);
}

}  // namespace

std::string_view commandCode(Command command) {
  switch (command) {
    case Command::powerOn:
      return codeOf({"POWER", "ON"});
    case Command::powerOff:
      return codeOf({"POWER", "OFF"});
    case Command::pictureMuteOn:
      return codeOf({"NO SHOW", "ON"});
    case Command::pictureMuteOff:
      return codeOf({"NO SHOW", "OFF"});
    case Command::soundMuteOn:
      return codeOf({"SOUND MUTE", "ON"});
    case Command::soundMuteOff:
      return codeOf({"SOUND MUTE", "OFF"});
  }
  return {};
}

std::string_view readCode(Read read) {
  switch (read) {
    case Read::state:
      return codeOf({"status read", "STATUS"});
    case Read::input:
      return codeOf({"status read", "MODE"});
    case Read::lampHours:
      return codeOf({"status read", "L-TIME"});
    // Reads no button sends: typed in by hand on the panel.
    case Read::mute:
      return "CRA";
    case Read::version:
      return "CR9";
  }
  return {};
}

std::span<const InputChoice> inputChoices() {
  return kInputs;
}

const InputChoice* findInput(int pjlinkCode) {
  const auto found = std::ranges::find(kInputs, pjlinkCode, &InputChoice::pjlinkCode);
  return found == kInputs.end() ? nullptr : &*found;
}

std::optional<OperatingState> decodeOperatingState(std::string_view reply) {
  const std::optional<std::string> text = statusText(readCode(Read::state), reply);
  if (!text || !replyText(reply)) return std::nullopt;
  const auto found = std::ranges::find(kStates, *text, &StateText::text);
  if (found == kStates.end()) return std::nullopt;
  return found->state;
}

std::optional<int> decodeInputTerminal(std::string_view reply) {
  const std::optional<std::string> text = statusText(readCode(Read::input), reply);
  if (!text || !replyText(reply)) return std::nullopt;
  constexpr std::string_view kPrefix = " Input mode ";
  if (!text->starts_with(kPrefix) || text->size() != kPrefix.size() + 1) return std::nullopt;
  return text->back() - '0';
}

std::optional<Mutes> decodeMutes(std::string_view reply) {
  const std::optional<std::string> text = statusText(readCode(Read::mute), reply);
  if (!text || !replyText(reply)) return std::nullopt;
  if (*text == " Video & Audio mute OFF" || *text == " Stand by") return Mutes{false, false};
  if (*text == " Video mute ON") return Mutes{true, false};
  if (*text == " Audio mute ON") return Mutes{false, true};
  if (*text == " Video & Audio mute ON") return Mutes{true, true};
  return std::nullopt;
}

std::optional<long> decodeLampHours(std::string_view reply) {
  const std::optional<std::string_view> text = replyText(reply);
  if (!text || text->empty()) return std::nullopt;
  long hours = 0;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), hours);
  if (error != std::errc{} || end != text->data() + text->size() || hours < 0) return std::nullopt;
  return hours;
}

std::optional<std::string> decodeVersion(std::string_view reply) {
  const std::optional<std::string_view> text = replyText(reply);
  if (!text) return std::nullopt;
  std::string printable;
  for (const char c : *text) {
    if (c >= ' ' && c <= '~') printable += c;
  }
  return printable;
}

}  // namespace pv7100::daemon
