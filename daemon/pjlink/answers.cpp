#include "daemon/pjlink/answers.h"

#include <algorithm>

#include "daemon/core/projector_vocabulary.h"
#include "daemon/pjlink_text/status_text.h"

namespace pv7100::daemon {
namespace {

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

bool changing(Power power) {
  return power == Power::countingDown || power == Power::coolingDown;
}

Decision power(const Request& request, const Knowledge& knowledge) {
  const ProjectorState& state = knowledge.state;
  if (request.parameter != "?" && request.parameter != "0" && request.parameter != "1")
    return answer(kBadParameter);
  if (auto missing = lacking(knowledge, Read::state, state.operating.has_value())) return *missing;
  if (request.parameter == "?") return answer(powerCode(state.operating->power));
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
    if (const std::optional<std::string> code = inputCode(state)) return answer(*code);
    return answer(kFailure);
  }
  const std::optional<int> number = twoDigits(request.parameter);
  const PjlinkInput* choice = pjlinkInputWithCode(number.value_or(0));
  if (!choice) return answer(kBadParameter);
  if (auto missing = lacking(knowledge, Read::state, state.operating.has_value())) return *missing;
  if (state.operating->power != Power::on) return answer(kNotNow);
  return act({choice->command});
}

Decision mute(const Request& request, const Knowledge& knowledge) {
  const ProjectorState& state = knowledge.state;
  if (request.parameter == "?") {
    if (auto missing = lacking(knowledge, Read::mute, state.mutes.has_value())) return *missing;
    return answer(muteCode(state.mutes.value_or(Mutes{})));
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
  return answer(errorCode(*state.operating));
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

// INNM ?11: the input's name.
Decision inputName(const Request& request) {
  const std::string& parameter = request.parameter;
  const std::optional<int> number =
      parameter.starts_with('?') ? twoDigits(std::string_view(parameter).substr(1)) : std::nullopt;
  const PjlinkInput* input = pjlinkInputWithCode(number.value_or(0));
  return input ? answer(input->name) : answer(kBadParameter);
}

// A command that the projector takes only while it is on: `on` for "1", `off` for "0".
Decision whileOn(const Request& request, const Knowledge& knowledge, std::string_view on,
                 std::string_view off) {
  const ProjectorState& state = knowledge.state;
  if (auto missing = lacking(knowledge, Read::state, state.operating.has_value())) return *missing;
  if (state.operating->power != Power::on) return answer(kNotNow);
  return act({request.parameter == "1" ? on : off});
}

// No read tells whether the picture is frozen: what the projector last acknowledged is told,
// and nothing until it acknowledged a freeze command since it was last switched on or off.
Decision freeze(const Request& request, const Knowledge& knowledge) {
  const std::string& parameter = request.parameter;
  if (parameter != "?" && parameter != "0" && parameter != "1") return answer(kBadParameter);
  if (parameter != "?") return whileOn(request, knowledge, "freeze-on", "freeze-off");
  if (!knowledge.answering) return answer(kFailure);
  const std::optional<bool> frozen = knowledge.state.freeze;
  return frozen ? answer(*frozen ? "1" : "0") : answer(kNotNow);
}

// SVOL 1 and SVOL 0: one step of the volume, as a tap of the panel's "+" or "-".
Decision volume(const Request& request, const Knowledge& knowledge) {
  if (request.parameter != "0" && request.parameter != "1") return answer(kBadParameter);
  return whileOn(request, knowledge, "vol-plus", "vol-minus");
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

Decision decide(const Request& request, const Knowledge& knowledge, const Identity& identity) {
  const char pjlinkClass = request.pjlinkClass;
  if (pjlinkClass != '1' && pjlinkClass != '2') return answer(kUndefined);
  const std::string& command = request.command;
  if (command == "POWR") return power(request, knowledge);
  if (command == "INPT") return input(request, knowledge);
  if (command == "AVMT") return mute(request, knowledge);
  if (pjlinkClass == '2') {
    if (command == "INNM") return inputName(request);
    if (command == "FREZ") return freeze(request, knowledge);
    if (command == "SVOL") return volume(request, knowledge);
    // No microphone, and nothing that tells the filter's hours, the resolutions, the serial
    // number or the models of the replacement parts.
    if (command == "MVOL" || command == "IRES" || command == "RRES" || command == "FILT" ||
        command == "RLMP" || command == "RFIL" || command == "SNUM")
      return answer(kUndefined);
  }
  const bool known = command == "INST" || command == "ERST" || command == "LAMP" ||
                     command == "NAME" || command == "INF1" || command == "INF2" ||
                     command == "INFO" || command == "CLSS" ||
                     (pjlinkClass == '2' && command == "SVER");
  if (!known) return answer(kUndefined);
  if (request.parameter != "?") return answer(kBadParameter);
  if (command == "INST") return answer(pjlinkInputList());
  if (command == "ERST") return errors(knowledge);
  if (command == "LAMP") return lamp(knowledge);
  if (command == "NAME") return answer(identity.name);
  if (command == "INF1") return answer(identity.manufacturer);
  if (command == "INF2") return answer("PV7100");
  if (command == "INFO" || command == "SVER") return info(knowledge);
  return answer("2");
}

}  // namespace pv7100::daemon
