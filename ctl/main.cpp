// pv7100ctl: the projector from scripts.
#include <cstdlib>
#include <iostream>

#include <QCoreApplication>

#include "ctl/commands.h"
#include "ctl/exit_codes.h"
#include "ctl/messages.h"

using namespace pv7100;
using namespace pv7100::ctl;

namespace {

constexpr std::string_view kHelpHint = " (pv7100ctl --help shows the usage)";

bool talksToOnePort(const std::string& verb) {
  return verb != "list" && verb != "probe";
}

// Checks the words against the command they name; throws UsageError.
void checkWords(const Options& options) {
  if (options.words.empty()) throw UsageError("no command given");
  const std::string& verb = options.words[0];
  const std::size_t args = options.words.size() - 1;
  if ((verb == "list" || findCommand(verb)) && args > 0)
    throw UsageError(verb + " takes no arguments");
  if (verb == "send" && args == 0) throw UsageError("send needs a code, such as send CR0");
  if (verb == "wait" && (args != 1 || (options.words[1] != "on" && options.words[1] != "standby")))
    throw UsageError("wait takes one state: on or standby");
  if (verb == "status") {
    for (std::size_t i = 1; i < options.words.size(); ++i) {
      if (!findStatusRead(options.words[i]))
        throw UsageError("unknown status read \"" + options.words[i] +
                         "\": state, input, lamp-hours, reversal, temperatures, lamp-mode, "
                         "version, mute or pressure");
    }
  }
  const bool known = verb == "list" || verb == "send" || verb == "status" || verb == "wait" ||
                     verb == "probe" || findCommand(verb);
  if (!known)
    throw UsageError("unknown command \"" + verb + "\"; pv7100ctl list shows the commands");
  const NamedCommand* command = findCommand(verb);
  if (options.holdMs && !(command && command->kind == CommandKind::repeat))
    throw UsageError("--for holds a hold-to-repeat command only (vol-plus, zoom-plus, …)");
  if (options.withinS && verb != "wait") throw UsageError("--within belongs to wait");
  if (!options.logFile.empty() && !talksToOnePort(verb))
    throw UsageError("--log is for commands that talk to one port, not " + verb);
}

std::string joined(const std::vector<std::string>& words, std::size_t from) {
  std::string text;
  for (std::size_t i = from; i < words.size(); ++i) text += (i > from ? " " : "") + words[i];
  return text;
}

int run(Link& link, const Options& options) {
  const std::string& verb = options.words[0];
  if (verb == "send") return runSend(link, joined(options.words, 1), options);
  if (verb == "wait") return runWait(link, options.words[1], options);
  if (verb == "status") {
    std::vector<const StatusRead*> reads;
    for (std::size_t i = 1; i < options.words.size(); ++i)
      reads.push_back(findStatusRead(options.words[i]));
    if (reads.empty()) {
      for (const StatusRead& read : statusReads()) reads.push_back(&read);
    }
    return runStatus(link, reads, options);
  }
  return runCommand(link, *findCommand(verb), options);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options =
        parseOptions(std::vector<std::string>(argv + 1, argv + argc), std::getenv("PV7100_PORT"));
    if (!options.help && !options.version) checkWords(options);
  } catch (const UsageError& error) {
    complain(error.what() + std::string(kHelpHint));
    return kUsage;
  }
  if (options.help) {
    std::cout << usageText();
    return kDone;
  }
  if (options.version) {
    std::cout << "pv7100ctl " << PV7100_VERSION << '\n';
    return kDone;
  }
  const std::string& verb = options.words[0];
  if (verb == "list") return runList(options.json);
  // QSerialPort watches its device with socket notifiers, which need an application object;
  // Qt's own event dispatcher starts faster than GLib's, and nothing here needs GLib.
  qputenv("QT_NO_GLIB", "1");
  QCoreApplication application(argc, argv);
  if (verb == "probe")
    return runProbe(std::vector<std::string>(options.words.begin() + 1, options.words.end()),
                    options);
  std::unique_ptr<Link> link;
  try {
    link = std::make_unique<Link>(options.port, options.baud, options.logFile);
  } catch (const LogFileError& error) {
    complain(error.what() + std::string(". Name a file you may write with --log FILE."));
    return kUsage;
  } catch (const PortError& error) {
    complain(openFailureText(error));
    return kCannotOpen;
  }
  try {
    return run(*link, options);
  } catch (const PortError& error) {
    complain(portFailureText(error));
    return kPortFailed;
  }
}
