#include "daemon/pjlink_text/status_text.h"

#include <algorithm>
#include <array>

#include "daemon/core/projector_vocabulary.h"

namespace pv7100::daemon {
namespace {

// In PJLink order; the first of each input mode is what a read of that mode is reported as
// when no PJLink input was selected. The names are the captions of the panel's input buttons; where
// two terminals have a button of the same caption, the terminal's number follows it.
constexpr std::array kInputs = std::to_array<PjlinkInput>({
    {11, "input-1-rgb", "RGB 1"},
    {12, "input-2-rgb", "RGB 2"},
    {21, "input-2-video", "VIDEO 2"},
    {22, "input-2-y-pb-cb-pr-cr", "Y,Pb/Cb,Pr/Cr"},
    {23, "input-3-video", "VIDEO 3"},
    {24, "input-3-s-video", "S-VIDEO"},
    {25, "input-1-scart", "SCART"},
    {31, "input-1-dvi-pc", "DVI(PC)"},
    {32, "input-1-dvi-av-hdcp", "DVI(AV HDCP)"},
    {51, "input-network", "NETWORK"},
});

int terminalOf(const PjlinkInput& input) {
  return inputCommandNamed(input.command)->terminal;
}

}  // namespace

const PjlinkInput* pjlinkInputWithCode(int code) {
  const auto found = std::ranges::find(kInputs, code, &PjlinkInput::code);
  return found == kInputs.end() ? nullptr : &*found;
}

std::string pjlinkInputList() {
  std::string list;
  for (const PjlinkInput& input : kInputs) {
    if (!list.empty()) list += ' ';
    list += std::to_string(input.code);
  }
  return list;
}

std::string powerCode(Power power) {
  switch (power) {
    case Power::standby:
      return "0";
    case Power::on:
      return "1";
    case Power::coolingDown:
      return "2";
    case Power::countingDown:
      return "3";
  }
  return "0";
}

std::optional<std::string> inputCode(const ProjectorState& state) {
  if (!state.inputTerminal) return std::nullopt;
  const auto selected = std::ranges::find(kInputs, state.selectedInput, &PjlinkInput::command);
  if (selected != kInputs.end() && terminalOf(*selected) == *state.inputTerminal)
    return std::to_string(selected->code);
  for (const PjlinkInput& input : kInputs) {
    if (terminalOf(input) == *state.inputTerminal) return std::to_string(input.code);
  }
  return std::nullopt;
}

std::string muteCode(const Mutes& mutes) {
  if (mutes.picture && mutes.sound) return "31";
  if (mutes.picture) return "11";
  if (mutes.sound) return "21";
  return "30";
}

std::string errorCode(const OperatingState& operating) {
  std::string digits = "000000";
  if (operating.lampFailure) digits[1] = '2';
  if (operating.temperatureWarning) digits[2] = '1';
  if (operating.powerFailure) digits[5] = '2';
  return digits;
}

}  // namespace pv7100::daemon
