// pv7100ctl: the projector from scripts.
#include <cstdlib>
#include <iostream>

#include <QCoreApplication>

#include "ctl/commands.h"
#include "ctl/exit_codes.h"
#include "ctl/messages.h"
#include "ctl/stop_signals.h"
#include "ctl/usage.h"

using namespace pv7100;
using namespace pv7100::ctl;

namespace {

constexpr std::string_view kHelpHint = " (pv7100ctl --help shows the usage)";

int run(ProjectorLine& link, const Options& options) {
  const std::string& verb = options.words[0];
  if (verb == "send") return runSend(link, sentCode(options), options);
  if (verb == "wait") return runWait(link, options.words[1], options);
  if (verb == "status") {
    std::vector<const StatusRead*> reads;
    for (std::size_t i = 1; i < options.words.size(); ++i)
      reads.push_back(statusReadNamed(options.words[i]));
    if (reads.empty()) {
      for (const StatusRead& read : kStatusReads) reads.push_back(&read);
    }
    return runStatus(link, reads, options);
  }
  return runCommand(link, *commandNamed(verb), options);
}

// Writing what was printed is the last step: a failure there turns success into kUsage.
int finished(int status) {
  const std::string failure = outputFailure();
  if (failure.empty()) return status;
  complain(failure);
  return status == kDone ? kUsage : status;
}

int talk(const Options& options) {
  catchStopSignals();
  std::unique_ptr<ProjectorLine> link;
  try {
    link = std::make_unique<ProjectorLine>(options.port, options.baud, options.logFile);
  } catch (const LogFileError& error) {
    complain(error.what() + std::string(". Name a file you may write with --log FILE."));
    return kUsage;
  } catch (const PortError& error) {
    complain(openFailureText(error));
    return kCannotOpen;
  }
  try {
    const int status = run(*link, options);
    return status == kDone && !link->logFailure().empty() ? kUsage : status;
  } catch (const PortError& error) {
    complain(portFailureText(error));
    // Turned away by what serves the line as soon as it opened: the port was never had.
    return error.fault() == PortFault::busy ? kCannotOpen : kPortFailed;
  } catch (const Stopped& stop) {
    return 128 + stop.signal;
  }
}

int perform(int argc, char** argv, const Options& options) {
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
  return talk(options);
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
  return finished(perform(argc, argv, options));
}
