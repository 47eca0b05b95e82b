// One base topic, one daemon. Each daemon is on the broker under a client id of its own
// (pv7100d-ID-RANDOM), so that none takes another's connection over; which one serves the
// topic T they settle on T/daemon, where each says "probe", "serving" or "leaving" with its
// client id, host and process. At each connection a daemon asks ("probe") and serves only when
// nobody answers within kProbe; a daemon that serves answers every probe ("serving"), so the
// first keeps serving undisturbed and the other stands by, says so once on standard error, and
// asks again whenever the topic's availability goes offline (its server may have gone). Two
// that ask at once: the lower client id serves.
#pragma once

#include <chrono>
#include <string>

#include <QObject>
#include <QTimer>

#include "daemon/mqtt/broker_link.h"

namespace pv7100::daemon {

class TopicClaim : public QObject {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kProbe{1500};

  // `link`'s client id names this daemon.
  TopicClaim(BrokerLink& link, std::string topic, EventLog& log);

  bool serving() const { return state_ == State::serving; }
  // The link is up: ask who serves the topic.
  void connected();
  void disconnected();
  // A message on T/daemon or T/availability (true), or another (false).
  bool received(const std::string& topic, const std::string& payload, bool retained);
  // Lets the others know that this daemon stops serving.
  void leave();

 signals:
  void servingChanged(bool serving);

 private:
  enum class State { away, asking, serving, standing };
  void probe();
  void say(const std::string& word);
  void become(State state);

  BrokerLink& link_;
  std::string topic_;
  std::string me_;  // "CLIENTID HOST PID"
  EventLog& log_;
  State state_ = State::away;
  QTimer asking_;
  std::string told_;  // the server last told of
};

}  // namespace pv7100::daemon
