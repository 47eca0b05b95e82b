#include "daemon/mqtt/topic_claim.h"

#include <unistd.h>

#include "daemon/core/event_log.h"

namespace pv7100::daemon {
namespace {

// "pv7100d-hall-1a2b3c4d on av-pc-2, process 812"
std::string described(const std::string& who) {
  const std::size_t first = who.find(' ');
  const std::size_t second = who.find(' ', first == std::string::npos ? first : first + 1);
  if (second == std::string::npos) return who;
  return who.substr(0, first) + " on " + who.substr(first + 1, second - first - 1) + ", process " +
         who.substr(second + 1);
}

std::string hostName() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name[0] ? name : "localhost";
}

}  // namespace

TopicClaim::TopicClaim(BrokerLink& link, std::string topic, EventLog& log)
    : link_(link),
      topic_(std::move(topic)),
      me_(link.clientId() + " " + hostName() + " " + std::to_string(::getpid())),
      log_(log) {
  asking_.setSingleShot(true);
  connect(&asking_, &QTimer::timeout, this, [this] {
    if (state_ != State::asking) return;
    if (!told_.empty())
      log_.event("MQTT topic " + topic_ +
                 ": the other pv7100d has gone; "
                 "serving it here now");
    told_.clear();
    become(State::serving);
    say("serving");
  });
}

void TopicClaim::connected() {
  link_.subscribe(topic_ + "/daemon", true);
  link_.subscribe(topic_ + "/availability", true);
  probe();
}

void TopicClaim::disconnected() {
  asking_.stop();
  become(State::away);
}

void TopicClaim::probe() {
  state_ = State::asking;
  say("probe");
  asking_.start(kProbe);
}

void TopicClaim::say(const std::string& word) {
  link_.publish(topic_ + "/daemon", word + " " + me_, false);
}

void TopicClaim::become(State state) {
  const bool was = serving();
  state_ = state;
  if (was != serving()) emit servingChanged(serving());
}

void TopicClaim::leave() {
  if (serving()) say("leaving");
}

bool TopicClaim::received(const std::string& topic, const std::string& payload, bool retained) {
  if (topic == topic_ + "/availability") {
    // Its server may have gone: ask again.
    if (state_ == State::standing && !retained && payload == "offline") probe();
    return true;
  }
  if (topic != topic_ + "/daemon") return false;
  const std::size_t space = payload.find(' ');
  const std::string word = payload.substr(0, space);
  const std::string who = space == std::string::npos ? "" : payload.substr(space + 1);
  if (who.empty() || who == me_) return true;
  const bool lower = who < me_;
  bool yield = false;
  switch (state_) {
    case State::away:
      break;
    case State::asking:
      yield = word == "serving" || (word == "probe" && lower);
      break;
    case State::serving:
      // Another that serves too (both asked while the broker was split): the lower one stays.
      yield = word == "serving" && lower;
      if (!yield && word != "leaving") say("serving");
      break;
    case State::standing:
      if (word == "leaving") probe();
      break;
  }
  if (yield) {
    asking_.stop();
    become(State::standing);
    if (told_ != who) {
      told_ = who;
      log_.event("MQTT topic " + topic_ + " is served by another pv7100d (" + described(who) +
                 "): not serving it here; standing by until it goes");
    }
  }
  return true;
}

}  // namespace pv7100::daemon
