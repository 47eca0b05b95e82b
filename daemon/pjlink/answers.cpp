#include "daemon/pjlink/answers.h"

#include "daemon/core/projector_vocabulary.h"

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

Decision act(std::vector<std::string> codes, std::vector<Read> refresh) {
  Decision decision;
  decision.kind = Decision::Kind::act;
  decision.codes = std::move(codes);
  decision.refresh = std::move(refresh);
  return decision;
}

std::string code(Command command) {
  return std::string(commandCode(command));
}

// Why `read` cannot be used now (ERR4, or a wait for it), or nullopt when it can.
std::optional<Decision> lacking(const Knowledge& knowledge, Read read, bool known) {
  if (!knowledge.answering) return answer(kFailure);
  if (knowledge.fresh[static_cast<int>(read)]) return std::nullopt;
  if (knowledge.mayWait) return wait(read);
  if (!known) return answer(kFailure);
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
  return act({code(request.parameter == "1" ? Command::powerOn : Command::powerOff)},
             {Read::state, Read::mute});
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
    const InputChoice* selected = state.selectedInput ? findInput(*state.selectedInput) : nullptr;
    if (selected && selected->terminal == *state.inputTerminal)
      return answer(std::to_string(selected->pjlinkCode));
    for (const InputChoice& choice : inputChoices()) {
      if (choice.terminal == *state.inputTerminal) return answer(std::to_string(choice.pjlinkCode));
    }
    return answer(kFailure);
  }
  const std::optional<int> number = twoDigits(request.parameter);
  const InputChoice* choice = number ? findInput(*number) : nullptr;
  if (!choice) return answer(kBadParameter);
  if (auto missing = lacking(knowledge, Read::state, state.operating.has_value())) return *missing;
  if (state.operating->power != Power::on) return answer(kNotNow);
  Decision decision = act({std::string(choice->code)}, {Read::input});
  decision.selectedInput = choice->pjlinkCode;
  return decision;
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
  std::vector<std::string> codes;
  if (what != 2) codes.push_back(code(on ? Command::pictureMuteOn : Command::pictureMuteOff));
  if (what != 1) codes.push_back(code(on ? Command::soundMuteOn : Command::soundMuteOff));
  // Acknowledged, the mutes are known at once: a question that comes before the read of them
  // (one read a second) is answered with what was set, not what stood before.
  Mutes after = state.mutes.value_or(Mutes{});
  if (what != 2) after.picture = on;
  if (what != 1) after.sound = on;
  Decision decision = act(std::move(codes), {Read::mute});
  decision.mutes = after;
  return decision;
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

std::string inputList() {
  std::string list;
  for (const InputChoice& choice : inputChoices()) {
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
