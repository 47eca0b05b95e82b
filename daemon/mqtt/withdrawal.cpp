#include "daemon/mqtt/withdrawal.h"

#include <QEventLoop>
#include <QTimer>

#include "daemon/core/event_log.h"
#include "daemon/mqtt/topic_claim.h"

namespace pv7100::daemon {
namespace {

constexpr auto kWithdrawing = std::chrono::seconds(15);

}  // namespace

bool withdraw(const MqttSettings& settings, EventLog& log) {
  BrokerLink link(faceBroker(settings), log);
  TopicClaim claim(link, settings.topic, log);
  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  bool done = false;
  QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&link, &BrokerLink::connectedChanged, &loop, [&](bool up) {
    if (up) claim.connected();
  });
  QObject::connect(&link, &BrokerLink::message, &loop,
                   [&](const std::string& topic, const std::string& payload, bool retained) {
                     claim.received(topic, payload, retained);
                     // Standing by: another daemon serves the topic, and said so.
                     if (!claim.serving() && topic == settings.topic + "/daemon") loop.quit();
                   });
  QObject::connect(&claim, &TopicClaim::servingChanged, &loop, [&](bool serving) {
    if (!serving) return;
    std::vector<std::string> topics = {settings.topic + "/state", settings.topic + "/availability"};
    if (!settings.discoveryPrefix.empty()) {
      for (const MqttMessage& message : discoveryMessages(settings.device))
        topics.push_back(message.topic);
    }
    // An empty retained message takes the retained one away.
    for (const std::string& topic : topics) link.publish(topic, "", true);
    claim.leave();
    done = true;
    log.event("MQTT topic " + settings.topic + ": took away its state, availability and " +
              std::to_string(topics.size() - 2) + " discovery configs");
  });
  QTimer flush;
  QObject::connect(&flush, &QTimer::timeout, &loop, [&] {
    if (done && link.flushed()) loop.quit();
  });
  flush.start(50);
  link.start();
  limit.start(kWithdrawing);
  loop.exec();
  if (!done)
    log.event("MQTT topic " + settings.topic + ": nothing taken away: " +
              (link.connected() ? "another pv7100d serves it"
                                : "the broker was not reached within " +
                                      std::to_string(kWithdrawing.count()) + " s"));
  link.stop();
  return done;
}

}  // namespace pv7100::daemon
