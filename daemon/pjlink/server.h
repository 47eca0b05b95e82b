// The projector as a PJLink Class 1 projector on TCP: a greeting, optional authentication, and
// each request answered in one write within 2 s, from the state the poller keeps fresh or by
// commands through the core's command door.
#pragma once

#include <chrono>
#include <string>

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include "daemon/core/projector.h"
#include "daemon/pjlink/answers.h"

namespace pv7100::daemon {

struct ServerSettings {
  QHostAddress address = QHostAddress::LocalHost;
  quint16 port = 4352;
  std::string password;  // empty: no authentication
  int maxClients = 64;
  Identity identity;
};

class PjlinkServer : public QObject {
  Q_OBJECT

 public:
  // As projectors do, a client that sends nothing for this long is closed.
  static constexpr std::chrono::milliseconds kIdleClose{30'000};
  // A request not answered by then is answered with an error: the reply is due within 2 s.
  static constexpr std::chrono::milliseconds kAnswerBy{1900};

  PjlinkServer(ServerSettings settings, Projector& projector);
  // The connections go first: they reach into the server as they close.
  ~PjlinkServer() override;

  // Starts listening; false with `error` set when the address cannot be had.
  bool listen(std::string& error);
  int clients() const { return clients_; }

 private:
  friend class Connection;

  void accept();

  ServerSettings settings_;
  Projector& projector_;
  PortOwner& port_;
  StatePoller& poller_;
  CommandDoor& door_;
  EventLog& log_;
  QTcpServer server_;
  int clients_ = 0;
};

}  // namespace pv7100::daemon
