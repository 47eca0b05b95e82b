#include "daemon/mqtt/mqtt_face.h"

#include <cstdio>
#include <random>

#include <QPointer>

#include "daemon/core/json_text.h"
#include "daemon/mqtt/set_request.h"

namespace pv7100::daemon {
BrokerSettings faceBroker(const MqttSettings& settings) {
  BrokerSettings broker = settings.broker;
  broker.willTopic = settings.topic + "/availability";
  broker.willPayload = "offline";
  char end[16];
  std::snprintf(end, sizeof end, "-%08x", std::random_device{}());
  broker.clientId += end;
  return broker;
}

MqttFace::MqttFace(MqttSettings settings, Projector& projector)
    : settings_(std::move(settings)),
      projector_(projector),
      link_(faceBroker(settings_), projector.log()),
      claim_(link_, settings_.topic, projector.log()) {
  connect(&link_, &BrokerLink::connectedChanged, this, [this](bool up) {
    if (up) {
      claim_.connected();
    } else {
      claim_.disconnected();
    }
  });
  connect(&claim_, &TopicClaim::servingChanged, this, &MqttFace::serve);
  connect(&link_, &BrokerLink::message, this, &MqttFace::received);
  connect(&projector_, &Projector::documentChanged, this, &MqttFace::changed);
}

MqttFace::~MqttFace() {
  if (claim_.serving()) {
    link_.publish(settings_.topic + "/availability", "offline", true);
    claim_.leave();
  }
  link_.stop();
}

// Everything retained is published again whenever this daemon starts serving: the broker may
// have lost it.
void MqttFace::serve(bool serving) {
  projector_.setClients("mqtt", serving ? 1 : 0);
  const std::string status = settings_.discoveryPrefix + "/status";
  if (!serving) {
    link_.unsubscribe(settings_.topic + "/set");
    if (!settings_.discoveryPrefix.empty()) link_.unsubscribe(status);
    return;
  }
  link_.subscribe(settings_.topic + "/set");
  if (!settings_.discoveryPrefix.empty()) link_.subscribe(status);
  state_.clear();
  availability_.clear();
  publishDiscovery();
  changed();
}

void MqttFace::changed() {
  if (!claim_.serving()) return;
  const StateDocument& document = projector_.document();
  // A version forgotten while the projector does not answer is no new version.
  if (document.version && document.version != version_) publishDiscovery();
  std::string state = stateJson(document);
  if (state != state_ && link_.publish(settings_.topic + "/state", state, true))
    state_ = std::move(state);
  publishAvailability();
}

void MqttFace::publishAvailability() {
  const std::string now = projector_.document().answering ? "online" : "offline";
  if (now != availability_ && link_.publish(settings_.topic + "/availability", now, true))
    availability_ = now;
}

void MqttFace::publishDiscovery() {
  version_ = projector_.document().version;
  if (settings_.discoveryPrefix.empty()) return;
  settings_.device.version = version_;
  for (const MqttMessage& message : discoveryMessages(settings_.device))
    link_.publish(message.topic, message.payload, true);
}

void MqttFace::received(const std::string& topic, const std::string& payload, bool retained) {
  if (claim_.received(topic, payload, retained)) {
    // Another client wrote the availability (a stale session's last will): put it back.
    if (topic == settings_.topic + "/availability" && claim_.serving() && !retained) {
      availability_.clear();
      publishAvailability();
    }
    return;
  }
  if (!claim_.serving()) return;
  if (topic == settings_.topic + "/set") {
    command(payload, retained);
  } else if (topic == settings_.discoveryPrefix + "/status" && payload == "online") {
    // Home Assistant has started again and asks for its devices.
    publishDiscovery();
    state_.clear();
    availability_.clear();
    changed();
  }
}

void MqttFace::command(const std::string& payload, bool retained) {
  SetRequest request = parseSetRequest(payload);
  CommandDoor::Result refusal{CommandDoor::Outcome::refused, CommandDoor::Refusal::none, {}, {}};
  if (retained)
    refusal.error =
        "a retained message is no command: it would be carried out at every "
        "connection (publish without retain)";
  else if (!request.error.empty())
    refusal.error = request.error;
  else if (waiting_ >= kMaxWaiting)
    refusal.error = std::to_string(kMaxWaiting) + " commands are waiting already";
  if (!refusal.error.empty()) {
    result(request.command, refusal);
    return;
  }
  ++waiting_;
  auto done = [self = QPointer(this), name = request.command](const CommandDoor::Result& outcome) {
    if (!self) return;
    --self->waiting_;
    self->result(name, outcome);
  };
  if (request.holdFor)
    projector_.commands().hold(request.command, *request.holdFor, std::move(done));
  else
    projector_.commands().run(request.command, std::move(done));
}

void MqttFace::result(const std::string& command, const CommandDoor::Result& result) {
  link_.publish(
      settings_.topic + "/result",
      "{\"command\": " + (command.empty() ? "null" : jsonString(command)) +
          ", \"outcome\": " + jsonString(outcomeWord(result.outcome)) + ", \"error\": " +
          (result.outcome == CommandDoor::Outcome::ack ? "null" : jsonString(result.error)) + "}",
      false);
}

}  // namespace pv7100::daemon
