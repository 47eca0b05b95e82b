#include "daemon/face_settings.h"

#include "daemon/settings_files.h"

namespace pv7100::daemon {

WebSettings webSettings(const Options& options, const std::string& pjlinkPassword) {
  WebSettings web;
  web.name = options.name;
  if (!web.server.address.setAddress(QString::fromStdString(options.httpHost)))
    throw UsageError("http: \"" + options.httpHost + "\" is not an IP address");
  web.server.port = static_cast<quint16>(options.httpPort);
  web.password = options.httpPasswordFile.empty() ? pjlinkPassword
                                                  : readPasswordFile(options.httpPasswordFile);
  if (!options.httpCertificate.empty())
    web.server.certificate = readCertificateFile(options.httpCertificate, "http-certificate");
  if (!options.httpKey.empty()) web.server.key = readCertificateFile(options.httpKey, "http-key");
  web.names = options.httpNames;
  if (web.server.address.isLoopback() || options.openNetwork) return web;
  if (web.password.empty())
    throw UsageError("the web page on " + options.httpHost +
                     " lets anyone on that network drive the projector: set a "
                     "http-password-file or password-file, or allow-open-network = yes");
  if (!web.server.tls())
    throw UsageError("a password over plain HTTP on " + options.httpHost +
                     " can be read by anyone on that network: give http-certificate and "
                     "http-key, or allow-open-network = yes");
  return web;
}

MqttSettings mqttSettings(const Options& options) {
  MqttSettings mqtt;
  mqtt.broker.host = options.mqttHost;
  mqtt.broker.port = options.mqttPort != 0        ? options.mqttPort
                     : options.mqttCaFile.empty() ? 1883
                                                  : 8883;
  mqtt.broker.clientId = "pv7100d-" + options.mqttId;
  mqtt.broker.username = options.mqttUsername;
  if (!options.mqttPasswordFile.empty()) {
    if (options.mqttUsername.empty()) throw UsageError("mqtt-password-file needs an mqtt-username");
    mqtt.broker.password = readMqttPasswordFile(options.mqttPasswordFile);
  }
  // Read here so that a CA file that cannot be read stops the start; libmosquitto reads it
  // again at each connection.
  if (!options.mqttCaFile.empty()) readCertificateFile(options.mqttCaFile, "mqtt-ca-file");
  mqtt.broker.caFile = options.mqttCaFile;
  mqtt.topic = options.mqttTopic;
  mqtt.discoveryPrefix = options.mqttDiscoveryPrefix;
  mqtt.device.id = options.mqttId;
  mqtt.device.name = options.name;
  mqtt.device.manufacturer = options.manufacturer;
  mqtt.device.model = "PV7100";
  mqtt.device.daemonVersion = PV7100_VERSION;
  return mqtt;
}

std::string addressText(const QHostAddress& address) {
  const std::string text = address.toString().toStdString();
  return address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + text + "]" : text;
}

}  // namespace pv7100::daemon
