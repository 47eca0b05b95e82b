#include "daemon/mqtt/broker_link.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include <mosquitto.h>

#include "daemon/core/event_log.h"

namespace pv7100::daemon {
namespace {

// libmosquitto's sentence as part of a line: without its full stop.
std::string phrase(std::string text) {
  if (text.ends_with('.')) text.pop_back();
  return text;
}

// How a broker's answer to the login reads in a line: "not authorised".
std::string refusal(int rc) {
  std::string text = phrase(mosquitto_connack_string(rc));
  if (text.starts_with("Connection Refused: ")) text.erase(0, 20);
  return text;
}

}  // namespace

BrokerLink::BrokerLink(BrokerSettings settings, EventLog& log)
    : settings_(std::move(settings)), log_(log) {
  mosquitto_lib_init();
  client_ = mosquitto_new(settings_.clientId.c_str(), true, this);
  if (!client_) throw std::runtime_error("MQTT: cannot make a client");
  mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
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
  if (!settings_.caFile.empty() && mosquitto_tls_set(client_, settings_.caFile.c_str(), nullptr,
                                                     nullptr, nullptr, nullptr) != MOSQ_ERR_SUCCESS)
    throw std::runtime_error("MQTT: cannot use the CA file " + settings_.caFile);
  housekeeping_.setInterval(1000);
  connect(&housekeeping_, &QTimer::timeout, this, [this] {
    if (socket_ >= 0) handled(mosquitto_loop_misc(client_));
  });
  retry_.setSingleShot(true);
  connect(&retry_, &QTimer::timeout, this, [this] { connectNow(); });
}

BrokerLink::~BrokerLink() {
  stop();
  reader_.reset();
  writer_.reset();
  mosquitto_destroy(client_);
  mosquitto_lib_cleanup();
}

std::string BrokerLink::where() const {
  return settings_.host + ":" + std::to_string(settings_.port);
}

void BrokerLink::start() {
  housekeeping_.start();
  connectNow();
}

void BrokerLink::connectNow() {
  lastError_.clear();
  refused_ = false;
  trying_ = true;
  errno = 0;
  const int rc =
      mosquitto_connect_async(client_, settings_.host.c_str(), settings_.port, kKeepAliveSeconds);
  if (rc != MOSQ_ERR_SUCCESS) lost(rc, errno);
  watch();
}

void BrokerLink::retryLater() {
  if (stopping_ || retry_.isActive()) return;
  retry_.start(nextRetry_);
  nextRetry_ = std::min(nextRetry_ * 2, kLastRetry);
}

void BrokerLink::tell(const std::string& reason, bool always) {
  if ((outageTold_ && !always) || reason == lastTold_) return;
  outageTold_ = true;
  lastTold_ = reason;
  log_.event("MQTT broker " + where() + ": " + reason + "; trying again from 1 s to every " +
             std::to_string(kLastRetry.count() / 1000) + " s");
}

void BrokerLink::onConnect(mosquitto*, void* self, int rc) {
  auto& link = *static_cast<BrokerLink*>(self);
  if (rc != 0) {
    // The broker closes the connection after its refusal; the retry follows from there.
    link.refused_ = true;
    link.tell((rc == 4 || rc == 5 ? "the login was refused (" : "the connection was refused (") +
                  refusal(rc) + ")",
              true);
    return;
  }
  link.connected_ = true;
  link.nextRetry_ = kFirstRetry;
  link.outageTold_ = false;
  link.lastTold_.clear();
  link.log_.event("MQTT broker " + link.where() + ": connected");
  emit link.connectedChanged(true);
}

void BrokerLink::onDisconnect(mosquitto*, void* self, int rc) {
  if (rc != 0) static_cast<BrokerLink*>(self)->lost(rc, errno);
}

void BrokerLink::lost(int rc, int error) {
  if (!trying_) return;
  trying_ = false;
  const bool was = connected_;
  connected_ = false;
  if (!lastError_.empty()) {
    // libmosquitto's own line says what TLS found wrong, such as the certificate.
    tell("TLS failed (" + lastError_ + ")", true);
  } else if (!refused_) {
    const std::string reason =
        phrase(rc == MOSQ_ERR_ERRNO && error != 0 ? std::strerror(error) : mosquitto_strerror(rc));
    tell((was ? "lost the connection (" : "cannot connect (") + reason + ")");
  }
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

void BrokerLink::subscribe(const std::string& filter) {
  mosquitto_subscribe(client_, nullptr, filter.c_str(), 0);
  watch();
}

void BrokerLink::stop() {
  if (stopping_) return;
  stopping_ = true;
  retry_.stop();
  housekeeping_.stop();
  if (socket_ >= 0) {
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
  const int socket = mosquitto_socket(client_);
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
      connect(reader_.get(), &QSocketNotifier::activated, this,
              [this] { handled(mosquitto_loop_read(client_, 1)); });
      connect(writer_.get(), &QSocketNotifier::activated, this,
              [this] { handled(mosquitto_loop_write(client_, 1)); });
    }
  }
  if (writer_) writer_->setEnabled(mosquitto_want_write(client_));
}

}  // namespace pv7100::daemon
