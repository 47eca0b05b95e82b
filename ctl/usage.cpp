#include "ctl/usage.h"

#include "ctl/messages.h"
#include "protocol/commands.h"
#include "protocol/status_reads.h"

namespace pv7100::ctl {

namespace {

bool talksToOnePort(const std::string& verb) {
  return verb != "list" && verb != "probe";
}

std::string joined(const std::vector<std::string>& words, std::size_t from) {
  std::string text;
  for (std::size_t i = from; i < words.size(); ++i) text += (i > from ? " " : "") + words[i];
  return text;
}

// A code is one line: a control byte in it would end the line early or garble it.
void checkCode(const std::string& code) {
  if (code.empty()) throw UsageError("send needs a code, such as send CR0");
  if (code.size() > kMaxCodeLength)
    throw UsageError("the code is " + std::to_string(code.size()) +
                     " bytes long; send takes at most " + std::to_string(kMaxCodeLength));
  for (const char c : code) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f)
      throw UsageError("the code \"" + code + "\" holds the control byte " + escaped({&c, 1}) +
                       "; send takes one line, without control bytes");
  }
}

}  // namespace

std::string sentCode(const Options& options) {
  return joined(options.words, 1);
}

void checkWords(const Options& options) {
  if (options.words.empty()) throw UsageError("no command given");
  const std::string& verb = options.words[0];
  const std::size_t args = options.words.size() - 1;
  if ((verb == "list" || commandNamed(verb)) && args > 0)
    throw UsageError(verb + " takes no arguments");
  if (verb == "send") checkCode(sentCode(options));
  if (verb == "probe") {
    for (std::size_t i = 1; i < options.words.size(); ++i) {
      if (options.words[i].empty()) throw UsageError("probe needs a device, not \"\"");
    }
  }
  if (verb == "wait" && (args != 1 || (options.words[1] != "on" && options.words[1] != "standby")))
    throw UsageError("wait takes one state: on or standby");
  if (verb == "status") {
    for (std::size_t i = 1; i < options.words.size(); ++i) {
      if (!statusReadNamed(options.words[i]))
        throw UsageError("unknown status read \"" + options.words[i] +
                         "\": state, input, lamp-hours, reversal, temperatures, lamp-mode, "
                         "version, mute or pressure");
    }
  }
  const bool known = verb == "list" || verb == "send" || verb == "status" || verb == "wait" ||
                     verb == "probe" || commandNamed(verb);
  if (!known)
    throw UsageError("unknown command \"" + verb + "\"; pv7100ctl list shows the commands");
  const Command* command = commandNamed(verb);
  if (options.holdMs && !(command && command->kind == CommandKind::repeat))
    throw UsageError("--for holds a hold-to-repeat command only (vol-plus, zoom-plus, …)");
  if (options.withinS && verb != "wait") throw UsageError("--within belongs to wait");
  if (!options.logFile.empty() && !talksToOnePort(verb))
    throw UsageError("--log is for commands that talk to one port, not " + verb);
}

}  // namespace pv7100::ctl
