#include "daemon/faces.h"

#include <array>

#include "daemon/settings_files.h"
#include "daemon/share/line_server.h"

namespace pv7100::daemon {
namespace {

// The one rule of every network face: beyond loopback without a password anyone on that
// network drives the projector, so it is refused unless allow-open-network = yes says so.
// `where` names the face ("listening on 10.0.0.5"), `advice` what to set.
void refuseOpenNetwork(const QHostAddress& address, bool withPassword, const Options& options,
                       const std::string& where, const std::string& advice) {
  if (address.isLoopback() || withPassword || options.core.openNetwork) return;
  throw UsageError(where + " lets anyone on that network drive the projector: " + advice);
}

ServerSettings pjlinkSettings(const Options& options) {
  ServerSettings server;
  if (!options.pjlink.passwordFile.empty())
    server.password = readPasswordFile(options.pjlink.passwordFile);
  server.address.setAddress(QString::fromStdString(options.pjlink.listen.host));
  refuseOpenNetwork(server.address, !server.password.empty(), options,
                    "listening on " + options.pjlink.listen.host,
                    "set a password-file, or allow-open-network = yes in the config file");
  server.port = static_cast<quint16>(options.pjlink.listen.port);
  server.maxClients = options.pjlink.maxClients;
  server.identity = {options.pjlink.name, options.pjlink.manufacturer};
  return server;
}

WebSettings webSettings(const Options& options, const std::string& pjlinkPassword) {
  WebSettings web;
  web.name = options.pjlink.name;
  if (!web.server.address.setAddress(QString::fromStdString(options.http.address.host)))
    throw UsageError("http: \"" + options.http.address.host + "\" is not an IP address");
  web.server.port = static_cast<quint16>(options.http.address.port);
  web.password = options.http.passwordFile.empty() ? pjlinkPassword
                                                   : readPasswordFile(options.http.passwordFile);
  if (!options.http.certificate.empty())
    web.server.certificate = readCertificateFile(options.http.certificate, "http-certificate");
  if (!options.http.key.empty()) web.server.key = readCertificateFile(options.http.key, "http-key");
  web.names = options.http.names;
  refuseOpenNetwork(web.server.address, !web.password.empty(), options,
                    "the web page on " + options.http.address.host,
                    "set a http-password-file or password-file, or allow-open-network = yes");
  if (!web.server.address.isLoopback() && !options.core.openNetwork && !web.server.tls())
    throw UsageError("a password over plain HTTP on " + options.http.address.host +
                     " can be read by anyone on that network: give http-certificate and "
                     "http-key, or allow-open-network = yes");
  return web;
}

// The faces in the order they are built and told of in the start line. Each maker gives its
// face listening, or nothing when the settings leave it off; it throws FaceError.
using Maker = std::optional<RunningFace> (*)(const Options&, const FaceSettings&, Projector&,
                                             const std::vector<RunningFace>& built);

template <typename Face>
std::unique_ptr<Face> listening(std::unique_ptr<Face> face, const std::string& where) {
  std::string error;
  if (!face->listen(error)) throw FaceError(where + ": " + error, kCannotListen);
  return face;
}

constexpr std::array<Maker, 5> kFaces{
    [](const Options& options, const FaceSettings& settings, Projector& projector,
       const std::vector<RunningFace>&) -> std::optional<RunningFace> {
      auto face = listening(std::make_unique<PjlinkServer>(settings.pjlink, projector),
                            "cannot listen on " + options.pjlink.listen.host + ":" +
                                std::to_string(options.pjlink.listen.port));
      return RunningFace{
          std::move(face), {}, settings.pjlink.password.empty() ? "" : ", with a password"};
    },
    [](const Options& options, const FaceSettings& settings, Projector& projector,
       const std::vector<RunningFace>& built) -> std::optional<RunningFace> {
      if (!settings.udp) return std::nullopt;
      auto face = listening(
          std::make_unique<PjlinkUdpFace>(*settings.udp, projector),
          "cannot take PJLink searches on UDP port " + std::to_string(options.udp.udpPort));
      // A PJLink client that sends a request becomes a controller told of the changes.
      for (const RunningFace& other : built) {
        if (auto* pjlink = qobject_cast<PjlinkServer*>(other.face.get()))
          QObject::connect(pjlink, &PjlinkServer::requestFrom, face.get(), &PjlinkUdpFace::heard);
      }
      return RunningFace{
          std::move(face), {}, ", searches on UDP port " + std::to_string(options.udp.udpPort)};
    },
    [](const Options&, const FaceSettings& settings, Projector& projector,
       const std::vector<RunningFace>&) -> std::optional<RunningFace> {
      return RunningFace{listening(std::make_unique<LineServer>(settings.socket, projector),
                                   "cannot listen on " + settings.socket),
                         {},
                         ""};
    },
    [](const Options& options, const FaceSettings& settings, Projector& projector,
       const std::vector<RunningFace>&) -> std::optional<RunningFace> {
      if (!settings.web) return std::nullopt;
      const WebSettings& web = *settings.web;
      auto face = listening(std::make_unique<HttpFace>(web, projector),
                            "cannot serve HTTP on " + options.http.address.host + ":" +
                                std::to_string(options.http.address.port));
      const std::string shown =
          std::string(", the web page on ") + (web.server.tls() ? "https" : "http") + "://" +
          addressText(web.server.address) + ":" + std::to_string(face->port()) + "/" +
          (web.password.empty() ? "" : " with a password");
      return RunningFace{std::move(face), {}, shown};
    },
    [](const Options& options, const FaceSettings& settings, Projector& projector,
       const std::vector<RunningFace>&) -> std::optional<RunningFace> {
      if (!settings.mqtt) return std::nullopt;
      std::unique_ptr<MqttFace> face;
      try {
        face = std::make_unique<MqttFace>(*settings.mqtt, projector);
      } catch (const std::runtime_error& error) {
        throw FaceError(error.what(), kUsage);
      }
      MqttFace* started = face.get();
      return RunningFace{std::move(face), [started] { started->start(); },
                         ", on MQTT as " + options.mqtt.topic};
    },
};

}  // namespace

FaceSettings faceSettings(const Options& options) {
  FaceSettings settings;
  settings.pjlink = pjlinkSettings(options);
  // The UDP face follows the PJLink face's address, and so its rule beyond loopback.
  if (options.udp.search)
    settings.udp = UdpSettings{settings.pjlink.address, static_cast<quint16>(options.udp.udpPort),
                               static_cast<quint16>(options.udp.controllerPort)};
  settings.socket = options.share.socket;
  if (!options.http.address.host.empty())
    settings.web = webSettings(options, settings.pjlink.password);
  if (!options.mqtt.host.empty()) settings.mqtt = mqttSettings(options);
  return settings;
}

MqttSettings mqttSettings(const Options& options) {
  MqttSettings mqtt;
  mqtt.broker.host = options.mqtt.host;
  mqtt.broker.port = options.mqtt.port != 0        ? options.mqtt.port
                     : options.mqtt.caFile.empty() ? 1883
                                                   : 8883;
  mqtt.broker.clientId = "pv7100d-" + options.mqtt.id;
  mqtt.broker.username = options.mqtt.username;
  if (!options.mqtt.passwordFile.empty()) {
    if (options.mqtt.username.empty())
      throw UsageError("mqtt-password-file needs an mqtt-username");
    mqtt.broker.password = readMqttPasswordFile(options.mqtt.passwordFile);
  }
  // Read here so that a CA file that cannot be read stops the start; libmosquitto reads it
  // again at each connection.
  if (!options.mqtt.caFile.empty()) readCertificateFile(options.mqtt.caFile, "mqtt-ca-file");
  mqtt.broker.caFile = options.mqtt.caFile;
  mqtt.topic = options.mqtt.topic;
  mqtt.discoveryPrefix = options.mqtt.discoveryPrefix;
  mqtt.device.topic = mqtt.topic;
  mqtt.device.prefix = mqtt.discoveryPrefix;
  mqtt.device.id = options.mqtt.id;
  mqtt.device.name = options.pjlink.name;
  mqtt.device.manufacturer = options.pjlink.manufacturer;
  mqtt.device.model = "PV7100";
  mqtt.device.daemonVersion = PV7100_VERSION;
  return mqtt;
}

std::vector<RunningFace> buildFaces(const Options& options, const FaceSettings& settings,
                                    Projector& projector) {
  std::vector<RunningFace> built;
  for (const Maker make : kFaces) {
    if (std::optional<RunningFace> face = make(options, settings, projector, built))
      built.push_back(std::move(*face));
  }
  return built;
}

std::string addressText(const QHostAddress& address) {
  const std::string text = address.toString().toStdString();
  return address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + text + "]" : text;
}

}  // namespace pv7100::daemon
