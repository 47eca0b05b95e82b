// The projector on an MQTT broker, under its base topic T:
//   T/availability  "online" while connected and the projector answers, else "offline"; retained,
//                   and the last will
//   T/state         the state document as JSON, retained, published when it changes
//   T/set           a command by its public name, or {"command": NAME, "for_ms": MS} to hold one
//   T/result        each command's outcome: {"command": ..., "outcome": ..., "error": ...}
// and, unless discovery is off, Home Assistant's discovery messages under the prefix, published
// again when PREFIX/status says "online" and when the projector's version becomes known.
//
// It serves T only while no other daemon does (TopicClaim), and puts its availability back when
// another client (a stale session's last will) overwrites it.
//
// Bounds: a set payload of at most 1 KiB (kMaxSetPayload), and nothing larger than the link's
// kMaxPacket reaches the daemon at all; at most kMaxWaiting commands from here queued or on the
// wire at once, more are refused; one hold at a time (the command door's rule). A retained
// message on T/set is no command, whenever it was published: it would be carried out again at
// every connection.
#pragma once

#include <string>
#include <vector>

#include <QObject>

#include "daemon/core/projector.h"
#include "daemon/mqtt/broker_link.h"
#include "daemon/mqtt/discovery.h"
#include "daemon/mqtt/topic_claim.h"

namespace pv7100::daemon {

struct MqttSettings {
  BrokerSettings broker;        // its will is set from the topic, a random end added to its id
  std::string topic;            // T
  std::string discoveryPrefix;  // "" for no discovery
  DiscoveredDevice device;      // the same topic and prefix; its version is filled in here
};

// The link of a face on `settings`, its client id made unique.
BrokerSettings faceBroker(const MqttSettings& settings);

class MqttFace : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxWaiting = 8;

  // Throws std::runtime_error when libmosquitto refuses the settings.
  MqttFace(MqttSettings settings, Projector& projector);
  // Says "offline" and leaves the broker.
  ~MqttFace() override;

  void start() { link_.start(); }

 private:
  void serve(bool serving);
  void changed();
  void received(const std::string& topic, const std::string& payload, bool retained);
  void command(const std::string& payload, bool retained);
  void result(const std::string& command, const CommandDoor::Result& result);
  void publishDiscovery();
  void publishAvailability();

  MqttSettings settings_;
  Projector& projector_;
  BrokerLink link_;
  TopicClaim claim_;
  int waiting_ = 0;
  std::string state_;  // the state last published
  std::string availability_;
  std::optional<std::string> version_;  // the version in the discovery last published
};

}  // namespace pv7100::daemon
