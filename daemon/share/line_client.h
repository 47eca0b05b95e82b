// One client of the local socket: the lines it writes go to the projector whole, each with the
// priority of a held button, and the projector's reply to each comes back to it alone.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include <QLocalSocket>
#include <QObject>

#include "daemon/core/port_owner.h"

namespace pv7100::daemon {

class LineServer;

class LineClient : public QObject {
  Q_OBJECT

 public:
  // A line longer than this without its CR closes the connection.
  static constexpr std::size_t kMaxLineBytes = 256;
  // Lines of one client queued or on the wire at once; the client's further bytes stay unread
  // (in its own socket) until one is answered.
  static constexpr int kMaxQueuedLines = 2;

  LineClient(QLocalSocket* socket, LineServer& server, int number);
  ~LineClient() override;

 private:
  void readable();
  void send(std::string code);
  void answered(const PortOwner::Result& result);
  void close(const std::string& why);

  QLocalSocket* socket_;
  LineServer& server_;
  std::string name_;
  std::string partial_;
  std::deque<PortOwner::Ticket> tickets_;  // queued or on the wire, oldest first
  bool closing_ = false;
};

}  // namespace pv7100::daemon
