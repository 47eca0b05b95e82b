#include "daemon/core/projector_vocabulary.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <stdexcept>

#include "protocol/commands.h"
#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"
#include "protocol/status_reads.h"

namespace pv7100::daemon {
namespace {

// The code of the command called `name`.
std::string_view codeOf(std::string_view name) {
  if (const pv7100::Command* command = commandNamed(name)) return command->code;
  throw std::logic_error("no command " + std::string(name));
}

// The code of the status read called `name`.
std::string_view readCodeOf(std::string_view name) {
  return statusReadNamed(name)->code;
}

// clang-format off
const std::array kInputs = std::to_array<InputChoice>({
    {11, 1, codeOf("input-1-rgb")},
    {12, 2, codeOf("input-2-rgb")},
    {21, 2, codeOf("input-2-video")},
    {22, 2, codeOf("input-2-y-pb-cb-pr-cr")},
    {23, 3, codeOf("input-3-video")},
    {24, 3, codeOf("input-3-s-video")},
    {25, 1, codeOf("input-1-scart")},
    {31, 1, codeOf("input-1-dvi-pc")},
    {32, 1, codeOf("input-1-dvi-av-hdcp")},
    {51, 4, codeOf("input-network")},
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
  const std::optional<DecodedStatus> decoded =
      decodeStatus(commandLine(code), renderMonitor(reply));
  return decoded ? std::optional(decoded->text) : std::nullopt;
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
      return codeOf("power-on");
    case Command::powerOff:
      return codeOf("power-off");
    case Command::pictureMuteOn:
      return codeOf("no-show-on");
    case Command::pictureMuteOff:
      return codeOf("no-show-off");
    case Command::soundMuteOn:
      return codeOf("sound-mute-on");
    case Command::soundMuteOff:
      return codeOf("sound-mute-off");
  }
  return {};
}

std::string_view readCode(Read read) {
  switch (read) {
    case Read::state:
      return readCodeOf("state");
    case Read::input:
      return readCodeOf("input");
    case Read::lampHours:
      return readCodeOf("lamp-hours");
    // Reads no button sends: typed in by hand on the panel.
    case Read::mute:
      return readCodeOf("mute");
    case Read::version:
      return readCodeOf("version");
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
