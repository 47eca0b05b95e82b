// pv7100d: one projector's serial port, served as a PJLink Class 2 projector, on the local
// socket, and on MQTT and the web when the settings ask for them.
#include <iostream>

#include <QCoreApplication>
#include <QHostAddress>

#include "daemon/core/event_log.h"
#include "daemon/core/port_owner.h"
#include "daemon/core/state_poller.h"
#include "daemon/face_settings.h"
#include "daemon/http/face.h"
#include "daemon/mqtt/mqtt_face.h"
#include "daemon/mqtt/withdrawal.h"
#include "daemon/options.h"
#include "daemon/pjlink/server.h"
#include "daemon/pjlink_udp/udp_face.h"
#include "daemon/process_signals.h"
#include "daemon/settings_files.h"
#include "daemon/share/line_server.h"
#include "daemon/system_notify.h"

using namespace pv7100;
using namespace pv7100::daemon;

namespace {

enum ExitCode { kStopped = 0, kNotDone = 1, kUsage = 2, kCannotListen = 3 };

constexpr std::string_view kHelpHint = " (pv7100d --help shows the usage)";

int fail(const std::string& message, int code) {
  std::cerr << "pv7100d: " << message << '\n';
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  blockProcessSignals();
  Options options;
  ServerSettings server;
  std::optional<WebSettings> web;
  std::optional<MqttSettings> mqttGiven;
  try {
    options = loadOptions(std::vector<std::string>(argv + 1, argv + argc), readConfigFile);
    if (!options.help && !options.version) {
      if (!options.passwordFile.empty()) server.password = readPasswordFile(options.passwordFile);
      if (!options.httpHost.empty()) web = webSettings(options, server.password);
      if (!options.mqttHost.empty()) mqttGiven = mqttSettings(options);
    }
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
    return withdraw(*mqttGiven, log) ? kStopped : kNotDone;
  }
  server.address.setAddress(QString::fromStdString(options.listenHost));
  if (!server.address.isLoopback() && server.password.empty() && !options.openNetwork)
    return fail("listening on " + options.listenHost +
                    " lets anyone on that network drive the projector: set a password-file, or "
                    "allow-open-network = yes in the config file",
                kUsage);
  server.port = static_cast<quint16>(options.listenPort);
  server.maxClients = options.maxClients;
  server.identity = {options.name, options.manufacturer};

  // Qt's own event dispatcher starts faster than GLib's, and nothing here needs GLib.
  qputenv("QT_NO_GLIB", "1");
  QCoreApplication application(argc, argv);
  EventLog log;
  std::unique_ptr<Projector> projector;
  try {
    projector = std::make_unique<Projector>(
        PortSettings{.device = options.port,
                     .line = LineSettings{.baud = options.baud},
                     .logFile = options.logFile,
                     .sharedAt = options.socket,
                     .replyTimeout = std::chrono::milliseconds(options.replyTimeoutMs)},
        // The page and MQTT show the details (temperatures, pressure, lamp mode, reversal).
        PollSettings{std::chrono::milliseconds(options.pollMs),
                     std::chrono::milliseconds(options.busyPollMs),
                     std::chrono::milliseconds(web || mqttGiven ? options.detailPollMs : 0)},
        log);
    if (!options.logFile.empty()) log.openTrafficLog(options.logFile);
  } catch (const LogFileError& error) {
    return fail(error.what(), kUsage);
  }
  PjlinkServer pjlink(server, *projector);
  std::string error;
  if (!pjlink.listen(error))
    return fail("cannot listen on " + options.listenHost + ":" +
                    std::to_string(options.listenPort) + ": " + error,
                kCannotListen);
  std::unique_ptr<PjlinkUdpFace> udp;
  if (options.pjlinkSearch) {
    udp = std::make_unique<PjlinkUdpFace>(
        UdpSettings{server.address, static_cast<quint16>(options.pjlinkUdpPort),
                    static_cast<quint16>(options.pjlinkControllerPort)},
        *projector);
    if (!udp->listen(error))
      return fail("cannot take PJLink searches on UDP port " +
                      std::to_string(options.pjlinkUdpPort) + ": " + error,
                  kCannotListen);
    QObject::connect(&pjlink, &PjlinkServer::requestFrom, udp.get(), &PjlinkUdpFace::heard);
  }
  LineServer lines(options.socket, *projector);
  if (!lines.listen(error))
    return fail("cannot listen on " + options.socket + ": " + error, kCannotListen);
  std::unique_ptr<HttpFace> http;
  if (web) {
    http = std::make_unique<HttpFace>(*web, *projector);
    if (!http->listen(error))
      return fail("cannot serve HTTP on " + options.httpHost + ":" +
                      std::to_string(options.httpPort) + ": " + error,
                  kCannotListen);
  }
  std::unique_ptr<MqttFace> mqtt;
  try {
    if (mqttGiven) mqtt = std::make_unique<MqttFace>(*mqttGiven, *projector);
  } catch (const std::runtime_error& error) {
    return fail(error.what(), kUsage);
  }
  ProcessSignals handled(
      [&](const char* name) {
        log.event(std::string(name) + ": stopping");
        notifyStopping();
        application.quit();
      },
      [&] {
        if (options.logFile.empty()) {
          log.event("SIGHUP: no log file to reopen");
          return;
        }
        try {
          LoggedSerialPort::reopenLogs();
          log.reopenTrafficLog();
          log.event("SIGHUP: reopened the log file " + options.logFile);
        } catch (const LogFileError& error) {
          log.event("SIGHUP: " + std::string(error.what()) + "; still appending to the file " +
                    "opened before");
        }
      });
  if (!handled.error().empty())
    return fail("cannot take the signals: " + handled.error(), kCannotListen);
  projector->port().start();
  if (mqtt) mqtt->start();
  const std::string status = "PJLink on " + addressText(server.address) + ":" +
                             std::to_string(options.listenPort) + " for " + options.port +
                             ", its line on " + options.socket;
  std::string page;
  if (web) {
    page = std::string(", the web page on ") + (web->server.tls() ? "https" : "http") + "://" +
           addressText(web->server.address) + ":" + std::to_string(http->port()) + "/" +
           (web->password.empty() ? "" : " with a password");
  }
  const std::string search =
      udp ? ", searches on UDP port " + std::to_string(options.pjlinkUdpPort) : "";
  log.event(status + (server.password.empty() ? "" : ", with a password") + search + page +
            (mqtt ? ", on MQTT as " + options.mqttTopic : ""));
  notifyReady(status);
  application.exec();
  projector->port().stop();
  log.event("port closed, stopped");
  return kStopped;
}
