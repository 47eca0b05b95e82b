// pv7100d: one projector's serial port, served as a PJLink Class 2 projector, on the local
// socket, and on MQTT and the web when the settings ask for them.
#include <iostream>

#include <QCoreApplication>

#include "daemon/core/event_log.h"
#include "daemon/core/port_owner.h"
#include "daemon/core/state_poller.h"
#include "daemon/faces.h"
#include "daemon/mqtt/withdrawal.h"
#include "daemon/options.h"
#include "daemon/process_signals.h"
#include "daemon/settings_files.h"
#include "daemon/system_notify.h"

using namespace pv7100;
using namespace pv7100::daemon;

namespace {

constexpr std::string_view kHelpHint = " (pv7100d --help shows the usage)";

int fail(const std::string& message, int code) {
  std::cerr << "pv7100d: " << message << '\n';
  return code;
}

// SIGHUP: the traffic log reopened, for logrotate.
void reopenLogs(const Options& options, EventLog& log) {
  if (options.core.logFile.empty()) {
    log.event("SIGHUP: no log file to reopen");
    return;
  }
  try {
    LoggedSerialPort::reopenLogs();
    log.reopenTrafficLog();
    log.event("SIGHUP: reopened the log file " + options.core.logFile);
  } catch (const LogFileError& error) {
    log.event("SIGHUP: " + std::string(error.what()) + "; still appending to the file " +
              "opened before");
  }
}

}  // namespace

int main(int argc, char** argv) {
  blockProcessSignals();
  Options options;
  FaceSettings settings;
  try {
    options = loadOptions(std::vector<std::string>(argv + 1, argv + argc), readConfigFile);
    if (options.mqttWithdraw && !options.help && !options.version)
      settings.mqtt = mqttSettings(options);
    else if (!options.help && !options.version)
      settings = faceSettings(options);
  } catch (const UsageError& error) {
    return fail(error.what() + std::string(kHelpHint), kUsage);
  }
  if (options.help) {
    std::cout << usageText();
    return kStopped;
  }
  if (options.version) {
    std::cout << "pv7100d " << PV7100_VERSION << '\n';
    return kStopped;
  }
  if (options.mqttWithdraw) {
    QCoreApplication application(argc, argv);
    EventLog log;
    return withdraw(*settings.mqtt, log) ? kStopped : kNotDone;
  }

  // Qt's own event dispatcher starts faster than GLib's, and nothing here needs GLib.
  qputenv("QT_NO_GLIB", "1");
  QCoreApplication application(argc, argv);
  EventLog log;
  std::unique_ptr<Projector> projector;
  try {
    projector = std::make_unique<Projector>(
        PortSettings{.device = options.core.port,
                     .line = LineSettings{.baud = options.core.baud},
                     .logFile = options.core.logFile,
                     .sharedAt = options.share.socket,
                     .replyTimeout = std::chrono::milliseconds(options.core.replyTimeoutMs)},
        // The page and MQTT show the details (temperatures, pressure, lamp mode, reversal).
        PollSettings{std::chrono::milliseconds(options.core.pollMs),
                     std::chrono::milliseconds(options.core.busyPollMs),
                     std::chrono::milliseconds(
                         settings.web || settings.mqtt ? options.core.detailPollMs : 0)},
        log);
    if (!options.core.logFile.empty()) log.openTrafficLog(options.core.logFile);
  } catch (const LogFileError& error) {
    return fail(error.what(), kUsage);
  }
  std::vector<RunningFace> faces;
  try {
    faces = buildFaces(options, settings, *projector);
  } catch (const FaceError& error) {
    return fail(error.what(), error.code);
  }
  ProcessSignals handled(
      [&](const char* name) {
        log.event(std::string(name) + ": stopping");
        notifyStopping();
        application.quit();
      },
      [&] { reopenLogs(options, log); });
  if (!handled.error().empty())
    return fail("cannot take the signals: " + handled.error(), kCannotListen);
  projector->start();
  std::string shown;
  for (const RunningFace& face : faces) {
    if (face.start) face.start();
    shown += face.shown;
  }
  const std::string status = "PJLink on " + addressText(settings.pjlink.address) + ":" +
                             std::to_string(options.pjlink.listen.port) + " for " +
                             options.core.port + ", its line on " + options.share.socket;
  log.event(status + shown);
  notifyReady(status);
  application.exec();
  projector->stop();
  log.event("port closed, stopped");
  // The faces go before the core they use, the last made first.
  while (!faces.empty()) faces.pop_back();
  return kStopped;
}
