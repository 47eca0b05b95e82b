// The daemon's connection to its MQTT broker: libmosquitto's client on the daemon's one event
// loop (its socket watched by two QSocketNotifiers, its keep-alive looked after every 5 s; no
// thread of its own). MQTT 5 with a clean start, so that nothing sent to the daemon while it is
// away is carried out late; a last will for when it goes without a word. The broker is asked
// (Maximum Packet Size) to send nothing larger than kMaxPacket: it drops such messages rather
// than hand them on, so no client of the broker can make the daemon hold a large one.
//
// A connection is opened by the link itself until the broker accepts the login: the TCP
// connection's end is taken from the socket, a TLS handshake is moved on by reading only, and a
// connection that is closed, refused or not accepted within kOpening is given up. libmosquitto
// (2.0.11) would otherwise wait forever on a TLS handshake whose socket is dead, its socket
// always ready and nothing done.
//
// A broker that cannot be reached, goes away or refuses the login or the certificate is told on
// standard error once an episode (again only when the reason changes) and tried again after
// 1 s, doubling up to kLastRetry, until a connection has lasted kSteady: a broker that drops
// every connection soon after accepting it is one episode, not one a connection. Nothing is
// queued while away: publish() refuses, and libmosquitto drops what it had not sent at each new
// connection, so memory stays bounded however long the broker is gone. Resolving the broker's
// name is the one step that may block the loop (as long as the system's resolver takes): give
// an address or a name in /etc/hosts where that matters.
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
  static constexpr std::chrono::milliseconds kLastRetry{20'000};
  static constexpr std::chrono::milliseconds kSteady{30'000};
  static constexpr std::chrono::milliseconds kOpening{10'000};
  static constexpr int kKeepAliveSeconds = 30;
  static constexpr int kMaxPacket = 4096;

  // Throws std::runtime_error when libmosquitto refuses the settings (a CA file it cannot read).
  BrokerLink(BrokerSettings settings, EventLog& log);
  ~BrokerLink() override;

  void start();
  bool connected() const { return connected_; }
  const std::string& clientId() const { return settings_.clientId; }
  // Sends now, or not at all (false) while disconnected.
  bool publish(const std::string& topic, const std::string& payload, bool retain);
  // Retained messages come marked as such, also those published while the link is connected;
  // `others` leaves out what this link publishes itself.
  void subscribe(const std::string& filter, bool others = false);
  void unsubscribe(const std::string& filter);
  // True when everything published has been written to the socket.
  bool flushed() const;
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
  // One step of opening a connection, whichever way the socket is ready.
  void open();
  // Gives the socket up: libmosquitto closes it at the next connection.
  void abandon(int rc, int error);
  void lost(int rc, int error);
  void handled(int rc);
  void retryLater();
  void steady();
  // After every call into libmosquitto: watch the socket it has now, for writing only while
  // it has something to write (or its TCP connection is being made).
  void watch();
  // Says what went wrong: the first trouble of an episode, and a refused login or certificate
  // whenever it differs from what was said last (`always`).
  void tell(const std::string& reason, bool always = false);
  void say(const std::string& what);

  BrokerSettings settings_;
  EventLog& log_;
  mosquitto* client_ = nullptr;
  bool connected_ = false;
  bool trying_ = false;      // a connection is being made or is up
  bool opening_ = false;     // made, and not accepted yet
  bool tcpPending_ = false;  // its TCP connection is not made yet
  bool abandoned_ = false;   // its socket is given up
  int connectError_ = 0;     // what the TLS greeting's write met while connecting
  bool refused_ = false;     // the broker refused this connection's login, and that was told
  bool stopping_ = false;
  int socket_ = -1;
  std::unique_ptr<QSocketNotifier> reader_;
  std::unique_ptr<QSocketNotifier> writer_;
  QTimer housekeeping_;
  QTimer retry_;
  QTimer opened_;  // gives up a connection not accepted within kOpening
  QTimer steady_;  // ends the episode once a connection has lasted kSteady
  std::chrono::milliseconds nextRetry_ = kFirstRetry;
  std::chrono::steady_clock::time_point since_;  // the connection up now was accepted then
  bool outageTold_ = false;                      // this episode's trouble has been told
  bool upTold_ = false;                          // "connected" was said after it
  bool flapping_ = false;  // a connection said "connected" dropped before it lasted kSteady
  std::string lastTold_;
  std::string lastError_;  // OpenSSL's last error, as libmosquitto logs it
};

}  // namespace pv7100::daemon
