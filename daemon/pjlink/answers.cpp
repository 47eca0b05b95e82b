#include "daemon/pjlink/answers.h"

#include <algorithm>

#include "daemon/core/projector_vocabulary.h"

namespace pv7100::daemon {
namespace {

// One of the projector's inputs as a PJLink input: the type (1 RGB, 2 VIDEO, 3 DIGITAL,
// 5 NETWORK) and a number, and the command that selects it. In PJLink order; the first of each
// input mode is what a read of that mode is reported as when no PJLink input was selected.
struct InputChoice {
  int pjlinkCode;
  std::string_view command;
};

constexpr std::array kInputs = std::to_array<InputChoice>({
    {11, "input-1-rgb"},
    {12, "input-2-rgb"},
    {21, "input-2-video"},
    {22, "input-2-y-pb-cb-pr-cr"},
    {23, "input-3-video"},
    {24, "input-3-s-video"},
    {25, "input-1-scart"},
    {31, "input-1-dvi-pc"},
    {32, "input-1-dvi-av-hdcp"},
    {51, "input-network"},
});

int terminalOf(const InputChoice& choice) {
  return inputCommandNamed(choice.command)->terminal;
}

Decision answer(std::string_view result) {
  Decision decision;
  decision.result = result;
  return decision;
}

Decision wait(Read read) {
  Decision decision;
  decision.kind = Decision::Kind::wait;
  decision.read = read;
  return decision;
}

Decision act(std::vector<std::string_view> commands) {
  Decision decision;
  decision.kind = Decision::Kind::act;
  decision.commands = std::move(commands);
  return decision;
}

// Why `read` cannot be used now, or nullopt when it can. ERR4 says that the projector does
// not answer; a read that has not come yet (the line is busy) is ERR3.
std::optional<Decision> lacking(const Knowledge& knowledge, Read read, bool known) {
  if (!knowledge.answering) return answer(kFailure);
  if (knowledge.fresh[static_cast<int>(read)]) return std::nullopt;
  if (knowledge.mayWait && !(knowledge.holding && known)) return wait(read);
  if (!known) return answer(kNotNow);
  return std::nullopt;
}

char powerDigit(Power power) {
  switch (power) {
    case Power::standby:
      return '0';
    case Power::on:
      return '1';
    case Power::coolingDown:
      return '2';
    case Power::countingDown:
      return '3';
  }
  return '0';
}

bool changing(Power power) {
  return power == Power::countingDown || power == Power::coolingDown;
}

Decision power(const Request& request, const Knowledge& knowledge) {
  const ProjectorState& state = knowledge.state;
  if (request.parameter != "?" && request.parameter != "0" && request.parameter != "1")
    return answer(kBadParameter);
  if (auto missing = lacking(knowledge, Read::state, state.operating.has_value())) return *missing;
  if (request.parameter == "?") return answer(std::string(1, powerDigit(state.operating->power)));
  if (changing(state.operating->power)) return answer(kNotNow);
  // Switching off also ends the mutes.
  return act({request.parameter == "1" ? "power-on" : "power-off"});
}

// The number of a two-digit parameter, or nullopt.
std::optional<int> twoDigits(std::string_view parameter) {
  if (parameter.size() != 2 || parameter[0] < '0' || parameter[0] > '9' || parameter[1] < '0' ||
      parameter[1] > '9')
    return std::nullopt;
  return (parameter[0] - '0') * 10 + (parameter[1] - '0');
}

Decision input(const Request& request, const Knowledge& knowledge) {
  const ProjectorState& state = knowledge.state;
  if (request.parameter == "?") {
    if (auto missing = lacking(knowledge, Read::input, state.inputTerminal.has_value()))
      return *missing;
    const auto selected = std::ranges::find(kInputs, state.selectedInput, &InputChoice::command);
    if (selected != kInputs.end() && terminalOf(*selected) == *state.inputTerminal)
      return answer(std::to_string(selected->pjlinkCode));
    for (const InputChoice& choice : kInputs) {
      if (terminalOf(choice) == *state.inputTerminal)
        return answer(std::to_string(choice.pjlinkCode));
    }
    return answer(kFailure);
  }
  const std::optional<int> number = twoDigits(request.parameter);
  const auto choice = std::ranges::find(kInputs, number.value_or(0), &InputChoice::pjlinkCode);
  if (choice == kInputs.end()) return answer(kBadParameter);
  if (auto missing = lacking(knowledge, Read::state, state.operating.has_value())) return *missing;
  if (state.operating->power != Power::on) return answer(kNotNow);
  return act({choice->command});
}

Decision mute(const Request& request, const Knowledge& knowledge) {
  const ProjectorState& state = knowledge.state;
  if (request.parameter == "?") {
    if (auto missing = lacking(knowledge, Read::mute, state.mutes.has_value())) return *missing;
    const Mutes mutes = state.mutes.value_or(Mutes{});
    if (mutes.picture && mutes.sound) return answer("31");
    if (mutes.picture) return answer("11");
    if (mutes.sound) return answer("21");
    return answer("30");
  }
  const std::optional<int> number = twoDigits(request.parameter);
  const int what = number ? *number / 10 : 0;
  const bool on = number && *number % 10 == 1;
  if (!number || what < 1 || what > 3 || *number % 10 > 1) return answer(kBadParameter);
  if (auto missing = lacking(knowledge, Read::state, state.operating.has_value())) return *missing;
  if (state.operating->power != Power::on) return answer(kNotNow);
  std::vector<std::string_view> commands;
  if (what != 2) commands.push_back(on ? "no-show-on" : "no-show-off");
  if (what != 1) commands.push_back(on ? "sound-mute-on" : "sound-mute-off");
  return act(std::move(commands));
}

Decision errors(const Knowledge& knowledge) {
  const ProjectorState& state = knowledge.state;
  if (auto missing = lacking(knowledge, Read::state, state.operating.has_value())) return *missing;
  const OperatingState& operating = *state.operating;
  // Fan, lamp, temperature, cover, filter, other: 0 fine, 1 warning, 2 error.
  std::string digits = "000000";
  if (operating.lampFailure) digits[1] = '2';
  if (operating.temperatureWarning) digits[2] = '1';
  if (operating.powerFailure) digits[5] = '2';
  return answer(digits);
}

Decision lamp(const Knowledge& knowledge) {
  const ProjectorState& state = knowledge.state;
  if (auto missing = lacking(knowledge, Read::lampHours, state.lampHours.has_value()))
    return *missing;
  if (auto missing = lacking(knowledge, Read::state, state.operating.has_value())) return *missing;
  return answer(std::to_string(*state.lampHours) + (state.operating->lampLit ? " 1" : " 0"));
}

Decision info(const Knowledge& knowledge) {
  const ProjectorState& state = knowledge.state;
  if (auto missing = lacking(knowledge, Read::version, state.version.has_value())) return *missing;
  return answer(state.version->substr(0, kMaxInfoLength));
}

}  // namespace

bool inEffect(const std::vector<std::string_view>& commands, const ProjectorState& state) {
  return state.mutes && std::ranges::all_of(commands, [&](std::string_view name) {
           const Command* command = commandNamed(name);
           const CommandEffect effect = command ? effectOf(*command) : CommandEffect{};
           const bool mute = effect.pictureMute || effect.soundMute;
           return mute && (!effect.pictureMute || *effect.pictureMute == state.mutes->picture) &&
                  (!effect.soundMute || *effect.soundMute == state.mutes->sound);
         });
}

std::string inputList() {
  std::string list;
  for (const InputChoice& choice : kInputs) {
    if (!list.empty()) list += ' ';
    list += std::to_string(choice.pjlinkCode);
  }
  return list;
}

Decision decide(const Request& request, const Knowledge& knowledge, const Identity& identity) {
  if (request.pjlinkClass != '1') return answer(kUndefined);
  const std::string& command = request.command;
  if (command == "POWR") return power(request, knowledge);
  if (command == "INPT") return input(request, knowledge);
  if (command == "AVMT") return mute(request, knowledge);
  const bool known = command == "INST" || command == "ERST" || command == "LAMP" ||
                     command == "NAME" || command == "INF1" || command == "INF2" ||
                     command == "INFO" || command == "CLSS";
  if (!known) return answer(kUndefined);
  if (request.parameter != "?") return answer(kBadParameter);
  if (command == "INST") return answer(inputList());
  if (command == "ERST") return errors(knowledge);
  if (command == "LAMP") return lamp(knowledge);
  if (command == "NAME") return answer(identity.name);
  if (command == "INF1") return answer(identity.manufacturer);
  if (command == "INF2") return answer("PV7100");
  if (command == "INFO") return info(knowledge);
  return answer("1");
}

}  // namespace pv7100::daemon
