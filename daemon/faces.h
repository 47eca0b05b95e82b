// pv7100d's faces: their settings read and checked before anything starts (files read,
// passwords beyond loopback), then each face built by its maker, in the order of one list.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QHostAddress>
#include <QObject>

#include "daemon/core/projector.h"
#include "daemon/http/face.h"
#include "daemon/mqtt/mqtt_face.h"
#include "daemon/options.h"
#include "daemon/pjlink/server.h"
#include "daemon/pjlink_udp/udp_face.h"

namespace pv7100::daemon {

enum ExitCode { kStopped = 0, kNotDone = 1, kUsage = 2, kCannotListen = 3 };

// What every face is built from. A face that is off has no settings.
struct FaceSettings {
  ServerSettings pjlink;
  std::optional<UdpSettings> udp;
  std::string socket;
  std::optional<WebSettings> web;
  std::optional<MqttSettings> mqtt;
};

// The faces' settings: their files read (passwords, certificates, the CA) and the rules between
// settings checked. Throws UsageError.
FaceSettings faceSettings(const Options& options);

// The MQTT face's settings. Throws UsageError for a password or CA file that cannot be read.
MqttSettings mqttSettings(const Options& options);

// A face that serves, whichever it is.
struct RunningFace {
  std::unique_ptr<QObject> face;
  std::function<void()> start;  // once the port is open; empty when listening is all
  std::string shown;            // its part of the start line: ", with a password"
};

// A face that cannot start, with the exit status it ends the daemon with.
class FaceError : public std::runtime_error {
 public:
  FaceError(const std::string& message, ExitCode code) : std::runtime_error(message), code(code) {}
  ExitCode code;
};

// Every face the settings ask for, built and listening, in the order of the list. Throws
// FaceError.
std::vector<RunningFace> buildFaces(const Options& options, const FaceSettings& settings,
                                    Projector& projector);

// An address as messages show it: "127.0.0.1", "[::1]".
std::string addressText(const QHostAddress& address);

}  // namespace pv7100::daemon
