// The daemon's connection to its MQTT broker: libmosquitto's client on the daemon's one event
// loop (its socket watched by two QSocketNotifiers, its housekeeping on a QTimer every second;
// no thread of its own). MQTT 3.1.1 with a clean session, so that nothing sent to the daemon
// while it is away is carried out late; a last will for when it goes without a word.
//
// A broker that cannot be reached, goes away or refuses the login or the certificate is told on
// standard error once (again only when the reason changes) and tried again after 1 s, doubling
// up to 30 s, until it is back. Nothing is queued while away: publish() refuses, and libmosquitto
// drops what it had not sent at each new connection, so memory stays bounded however long the
// broker is gone. Resolving the broker's name is the one step that may block the loop (as long
// as the system's resolver takes): give an address or a name in /etc/hosts where that matters.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

struct mosquitto;
struct mosquitto_message;

namespace pv7100::daemon {

class EventLog;

struct BrokerSettings {
  std::string host;
  int port = 1883;
  std::string clientId;
  std::string username;  // none when empty
  std::string password;
  std::string caFile;  // TLS, the broker's certificate checked against it, when not empty
  std::string willTopic;
  std::string willPayload;
};

class BrokerLink : public QObject {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kFirstRetry{1000};
  static constexpr std::chrono::milliseconds kLastRetry{30'000};
  static constexpr int kKeepAliveSeconds = 30;

  // Throws std::runtime_error when libmosquitto refuses the settings (a CA file it cannot read).
  BrokerLink(BrokerSettings settings, EventLog& log);
  ~BrokerLink() override;

  void start();
  bool connected() const { return connected_; }
  // Sends now, or not at all (false) while disconnected.
  bool publish(const std::string& topic, const std::string& payload, bool retain);
  void subscribe(const std::string& filter);
  // Ends the session politely: what is queued is written, then DISCONNECT (the will is not
  // sent, so say "offline" first).
  void stop();

 signals:
  void connectedChanged(bool connected);
  void message(const std::string& topic, const std::string& payload, bool retained);

 private:
  static void onConnect(mosquitto*, void* self, int rc);
  static void onDisconnect(mosquitto*, void* self, int rc);
  static void onMessage(mosquitto*, void* self, const mosquitto_message* message);
  static void onLog(mosquitto*, void* self, int level, const char* text);

  void connectNow();
  void lost(int rc, int error);
  void handled(int rc);
  void retryLater();
  // After every call into libmosquitto: watch the socket it has now, for writing only while
  // it has something to write.
  void watch();
  // Says what went wrong: the first trouble of an outage, and a refused login or certificate
  // whenever it differs from what was said last (`always`).
  void tell(const std::string& reason, bool always = false);
  std::string where() const;

  BrokerSettings settings_;
  EventLog& log_;
  mosquitto* client_ = nullptr;
  bool connected_ = false;
  bool trying_ = false;   // a connection is being made or is up
  bool refused_ = false;  // the broker refused this connection's login, and that was told
  bool stopping_ = false;
  int socket_ = -1;
  std::unique_ptr<QSocketNotifier> reader_;
  std::unique_ptr<QSocketNotifier> writer_;
  QTimer housekeeping_;
  QTimer retry_;
  std::chrono::milliseconds nextRetry_ = kFirstRetry;
  bool outageTold_ = false;  // the trouble since the last connection has been told
  std::string lastTold_;
  std::string lastError_;  // OpenSSL's last error, as libmosquitto logs it
};

}  // namespace pv7100::daemon
