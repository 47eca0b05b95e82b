#include "daemon/mqtt/broker_link.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include <mosquitto.h>
#include <mqtt_protocol.h>
#include <sys/socket.h>

#include "daemon/core/event_log.h"

namespace pv7100::daemon {
namespace {

// libmosquitto's sentence as part of a line: without its full stop.
std::string phrase(std::string text) {
  if (text.ends_with('.')) text.pop_back();
  return text;
}

// How a broker's answer to the login reads in a line: "not authorized".
std::string refusal(int rc) {
  std::string text = phrase(mosquitto_reason_string(rc));
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

// The error of a socket whose connection failed, or 0.
int socketError(int socket) {
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return errno;
  return error;
}

// Whether the other end has closed the connection (or reset it: `error`) with nothing left
// unread.
bool peerGone(int socket, int& error) {
  char byte = 0;
  const ssize_t got = ::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  error = got < 0 ? errno : 0;
  return got == 0 || (got < 0 && error != EAGAIN && error != EWOULDBLOCK && error != EINTR);
}

}  // namespace

BrokerLink::BrokerLink(BrokerSettings settings, EventLog& log)
    : settings_(std::move(settings)), log_(log) {
  mosquitto_lib_init();
  client_ = mosquitto_new(settings_.clientId.c_str(), true, this);
  if (!client_) throw std::runtime_error("MQTT: cannot make a client");
  mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
  mosquitto_connect_callback_set(client_, &BrokerLink::onConnect);
  mosquitto_disconnect_callback_set(client_, &BrokerLink::onDisconnect);
  mosquitto_message_callback_set(client_, &BrokerLink::onMessage);
  mosquitto_log_callback_set(client_, &BrokerLink::onLog);
  mosquitto_will_set(client_, settings_.willTopic.c_str(),
                     static_cast<int>(settings_.willPayload.size()), settings_.willPayload.data(),
                     1, true);
  if (!settings_.username.empty())
    mosquitto_username_pw_set(client_, settings_.username.c_str(),
                              settings_.password.empty() ? nullptr : settings_.password.c_str());
  // libmosquitto 2.0.11 connects with properties only while blocking; but the blocking call
  // keeps them for every later connection, asynchronous ones too, before it checks its
  // arguments, and an invalid port stops it there, before any connection.
  mosquitto_property* properties = nullptr;
  mosquitto_property_add_int32(&properties, MQTT_PROP_MAXIMUM_PACKET_SIZE, kMaxPacket);
  mosquitto_connect_bind_v5(client_, settings_.host.c_str(), -1, kKeepAliveSeconds, nullptr,
                            properties);
  mosquitto_property_free_all(&properties);
  if (!settings_.caFile.empty() && mosquitto_tls_set(client_, settings_.caFile.c_str(), nullptr,
                                                     nullptr, nullptr, nullptr) != MOSQ_ERR_SUCCESS)
    throw std::runtime_error("MQTT: cannot use the CA file " + settings_.caFile);
  // The keep-alive needs a look every few seconds, no more: a ping is due every 30 s and the
  // broker waits 45 s.
  housekeeping_.setInterval(5000);
  housekeeping_.setTimerType(Qt::VeryCoarseTimer);
  connect(&housekeeping_, &QTimer::timeout, this, [this] {
    if (connected_) handled(mosquitto_loop_misc(client_));
  });
  retry_.setSingleShot(true);
  connect(&retry_, &QTimer::timeout, this, [this] { connectNow(); });
  opened_.setSingleShot(true);
  connect(&opened_, &QTimer::timeout, this, [this] { abandon(MOSQ_ERR_ERRNO, ETIMEDOUT); });
  steady_.setSingleShot(true);
  connect(&steady_, &QTimer::timeout, this, [this] { steady(); });
}

BrokerLink::~BrokerLink() {
  stop();
  reader_.reset();
  writer_.reset();
  mosquitto_destroy(client_);
  mosquitto_lib_cleanup();
}

void BrokerLink::start() {
  housekeeping_.start();
  connectNow();
}

void BrokerLink::connectNow() {
  lastError_.clear();
  refused_ = false;
  trying_ = true;
  opening_ = true;
  tcpPending_ = true;
  abandoned_ = false;
  errno = 0;
  const int rc =
      mosquitto_connect_async(client_, settings_.host.c_str(), settings_.port, kKeepAliveSeconds);
  const int error = errno;
  connectError_ = error == EINPROGRESS || error == EAGAIN ? 0 : error;
  if (rc != MOSQ_ERR_SUCCESS) {
    lost(rc, error);
  } else {
    opened_.start(kOpening);
  }
  watch();
}

void BrokerLink::open() {
  if (tcpPending_) {
    if (const int error = socketError(socket_)) {
      abandon(MOSQ_ERR_ERRNO, error);
      return;
    }
    // Ready but not connected: the connection failed, its error taken by the TLS greeting
    // libmosquitto wrote while connecting.
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(socket_, reinterpret_cast<sockaddr*>(&peer), &size) != 0) {
      abandon(MOSQ_ERR_ERRNO, connectError_ != 0 ? connectError_ : ECONNREFUSED);
      return;
    }
    tcpPending_ = false;
  }
  // Reading moves a TLS handshake on; writing sends the CONNECT once it is done.
  handled(mosquitto_loop_read(client_, 1));
  if (opening_ && socket_ >= 0) handled(mosquitto_loop_write(client_, 1));
  int error = 0;
  if (opening_ && socket_ >= 0 && peerGone(socket_, error))
    abandon(error ? MOSQ_ERR_ERRNO : MOSQ_ERR_CONN_LOST, error);
}

void BrokerLink::abandon(int rc, int error) {
  if (!opening_) return;
  abandoned_ = true;
  lost(rc, error);
  watch();
}

void BrokerLink::retryLater() {
  if (stopping_ || retry_.isActive()) return;
  retry_.start(nextRetry_);
  nextRetry_ = std::min(nextRetry_ * 2, kLastRetry);
}

void BrokerLink::say(const std::string& what) {
  log_.event("MQTT broker " + settings_.host + ":" + std::to_string(settings_.port) + ": " + what);
}

void BrokerLink::tell(const std::string& reason, bool always) {
  if ((outageTold_ && !always) || reason == lastTold_) return;
  outageTold_ = true;
  lastTold_ = reason;
  say(reason + "; trying again from 1 s to every " + std::to_string(kLastRetry.count() / 1000) +
      " s");
}

void BrokerLink::onConnect(mosquitto*, void* self, int rc) {
  auto& link = *static_cast<BrokerLink*>(self);
  link.opening_ = false;
  link.opened_.stop();
  if (rc != 0) {
    // The broker closes the connection after its refusal; the retry follows from there.
    link.refused_ = true;
    link.tell((rc == MQTT_RC_BAD_USERNAME_OR_PASSWORD || rc == MQTT_RC_NOT_AUTHORIZED
                   ? "the login was refused ("
                   : "the connection was refused (") +
                  refusal(rc) + ")",
              true);
    return;
  }
  link.connected_ = true;
  link.since_ = std::chrono::steady_clock::now();
  link.steady_.start(kSteady);
  if (!link.flapping_) {
    link.say("connected");
    link.upTold_ = true;
  }
  emit link.connectedChanged(true);
}

// A connection that has lasted ends the episode: the next trouble is told again, and the
// retries start from 1 s again.
void BrokerLink::steady() {
  if (flapping_)
    say("a connection has lasted " + std::to_string(kSteady.count() / 1000) + " s: connected");
  nextRetry_ = kFirstRetry;
  outageTold_ = false;
  flapping_ = false;
  upTold_ = true;
  lastTold_.clear();
}

void BrokerLink::onDisconnect(mosquitto*, void* self, int rc) {
  if (rc != 0) static_cast<BrokerLink*>(self)->lost(rc, errno);
}

void BrokerLink::lost(int rc, int error) {
  if (!trying_) return;
  trying_ = false;
  opening_ = false;
  opened_.stop();
  steady_.stop();
  const bool was = connected_;
  connected_ = false;
  // The other end closing, during the handshake or after it, is a lost connection as without
  // TLS, however OpenSSL words it.
  if (!lastError_.empty() && (was || lastError_.find("unexpected eof") != std::string::npos)) {
    rc = MOSQ_ERR_CONN_LOST;
    lastError_.clear();
  }
  const std::string reason =
      phrase(rc == MOSQ_ERR_ERRNO && error != 0 ? std::strerror(error) : mosquitto_strerror(rc));
  if (!lastError_.empty()) {
    // libmosquitto's own line says what TLS found wrong, such as the certificate.
    tell("TLS failed (" + lastError_ + ")", true);
  } else if (was && outageTold_ && upTold_) {
    const auto lasted =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - since_);
    say("lost the connection again after " + std::to_string(lasted.count()) + " s (" + reason +
        "); trying again up to every " + std::to_string(kLastRetry.count() / 1000) +
        " s, quiet until a connection lasts " + std::to_string(kSteady.count() / 1000) + " s");
    flapping_ = true;
  } else if (!refused_) {
    tell((was ? "lost the connection (" : "cannot connect (") + reason + ")");
  }
  upTold_ = false;
  if (was) emit connectedChanged(false);
  retryLater();
}

void BrokerLink::onMessage(mosquitto*, void* self, const mosquitto_message* message) {
  auto& link = *static_cast<BrokerLink*>(self);
  emit link.message(message->topic,
                    std::string(static_cast<const char*>(message->payload),
                                static_cast<std::size_t>(std::max(message->payloadlen, 0))),
                    message->retain);
}

void BrokerLink::onLog(mosquitto*, void* self, int level, const char* text) {
  // OpenSSL's errors say what TLS found wrong; libmosquitto tells them only here.
  if ((level & MOSQ_LOG_ERR) && std::string_view(text).starts_with("OpenSSL"))
    static_cast<BrokerLink*>(self)->lastError_ = text;
}

bool BrokerLink::publish(const std::string& topic, const std::string& payload, bool retain) {
  if (!connected_) return false;
  const bool sent =
      mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                        payload.data(), 0, retain) == MOSQ_ERR_SUCCESS;
  watch();
  return sent;
}

void BrokerLink::subscribe(const std::string& filter, bool others) {
  mosquitto_subscribe_v5(client_, nullptr, filter.c_str(), 0,
                         MQTT_SUB_OPT_RETAIN_AS_PUBLISHED | (others ? MQTT_SUB_OPT_NO_LOCAL : 0),
                         nullptr);
  watch();
}

void BrokerLink::unsubscribe(const std::string& filter) {
  mosquitto_unsubscribe(client_, nullptr, filter.c_str());
  watch();
}

bool BrokerLink::flushed() const {
  return !connected_ || !mosquitto_want_write(client_);
}

void BrokerLink::stop() {
  if (stopping_) return;
  stopping_ = true;
  retry_.stop();
  housekeeping_.stop();
  opened_.stop();
  steady_.stop();
  if (connected_) {
    mosquitto_disconnect(client_);
    mosquitto_loop_write(client_, 1);
  }
  connected_ = false;
}

// libmosquitto tells a lost connection through its callback, mostly; whatever it returns is
// taken too (lost() tells each loss once).
void BrokerLink::handled(int rc) {
  const int error = errno;
  if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN) lost(rc, error);
  watch();
}

void BrokerLink::watch() {
  const int socket = abandoned_ ? -1 : mosquitto_socket(client_);
  if (socket != socket_) {
    // Off at once, gone later: a notifier must not watch a closed descriptor, and this may
    // run inside its own signal.
    for (auto* notifier : {reader_.release(), writer_.release()}) {
      if (!notifier) continue;
      notifier->setEnabled(false);
      notifier->deleteLater();
    }
    socket_ = socket;
    if (socket_ >= 0) {
      reader_ = std::make_unique<QSocketNotifier>(socket_, QSocketNotifier::Read);
      writer_ = std::make_unique<QSocketNotifier>(socket_, QSocketNotifier::Write);
      connect(reader_.get(), &QSocketNotifier::activated, this, [this] {
        if (opening_) {
          open();
        } else {
          handled(mosquitto_loop_read(client_, 1));
        }
      });
      connect(writer_.get(), &QSocketNotifier::activated, this, [this] {
        if (opening_) {
          open();
        } else {
          handled(mosquitto_loop_write(client_, 1));
        }
      });
    }
  }
  if (writer_) writer_->setEnabled(opening_ ? tcpPending_ : mosquitto_want_write(client_));
}

}  // namespace pv7100::daemon
