// The projector as a PJLink Class 2 projector on TCP: a greeting, optional authentication, and
// each request answered in one write within 2 s, from the state the poller keeps fresh or by
// commands through the core's command door.
//
// What a client gets at most, against clients that misbehave or attack (bounds.h):
// - clients: `max-clients` (64) at once; more are refused, and each kind of refusal or closing
//   is told at most once every 5 s, with a count;
// - bytes: a line of 167 bytes (a request of 136 bytes, its CR included, after a digest of 32),
//   the rest of a longer one dropped to its end; 64 requests read ahead of their answers and
//   nothing more while they wait or while a reply waits to be sent; 4 KiB more in Qt's read
//   buffer; the rest stays in the kernel's, so about 15 KiB per client;
// - time: a request complete 5 s after its first byte, a complete request every 30 s;
// - guessing (the core's guesses.h, the same for every face): after 3 wrong passwords from one
//   network (/24, /64), each try from it is judged only after a delay, 2 s doubling with each
//   wrong one up to 16 s, before its answer (PJLINK ERRA and the connection closed, or the
//   request's answer); the network forgotten 10 min after its last wrong one, 1024 at most.
#pragma once

#include <chrono>
#include <string>

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include "daemon/core/guesses.h"
#include "daemon/core/projector.h"
#include "daemon/pjlink/answers.h"
#include "daemon/pjlink/bounds.h"

namespace pv7100::daemon {

struct ServerSettings {
  QHostAddress address = QHostAddress::LocalHost;
  quint16 port = 4352;
  std::string password;  // empty: no authentication
  int maxClients = kDefaultMaxClients;
  Identity identity;
};

class PjlinkServer : public QObject {
  Q_OBJECT

 public:
  // A request not answered by then is answered with an error: the reply is due within 2 s.
  static constexpr std::chrono::milliseconds kAnswerBy{1900};

  PjlinkServer(ServerSettings settings, Projector& projector);
  // The connections go first: they reach into the server as they close.
  ~PjlinkServer() override;

  // Starts listening; false with `error` set when the address cannot be had.
  bool listen(std::string& error);
  int clients() const { return clients_; }

 signals:
  // A client that passed the password, if one is set, sent a request.
  void requestFrom(const QHostAddress& address);

 private:
  friend class Connection;

  void accept();

  ServerSettings settings_;
  Projector& projector_;
  const PortOwner& port_;
  const StatePoller& poller_;
  CommandDoor& door_;
  EventLog& log_;
  QTcpServer server_;
  int clients_ = 0;
  Guesses guesses_;
};

}  // namespace pv7100::daemon
