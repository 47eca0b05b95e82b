// The projector's serial line shared on a local socket: the panel and pv7100ctl reach the
// projector through it ("unix:PATH") while the daemon holds the port. Mode 0660, group dialout
// where that group exists, as the serial devices are.
#pragma once

#include <string>

#include <QLocalServer>
#include <QObject>

#include "daemon/core/projector.h"

namespace pv7100::daemon {

class LineServer : public QObject {
  Q_OBJECT

 public:
  // Clients at once; more are turned away.
  static constexpr int kMaxClients = 16;

  LineServer(std::string path, Projector& projector);
  // The clients go first: they reach into the server as they close.
  ~LineServer() override;

  // Starts listening; false with `error` set when the socket cannot be had. A socket at the
  // path that no program serves is taken over; anything else there is refused.
  bool listen(std::string& error);

 private:
  friend class LineClient;

  void accept();
  bool clearPath(std::string& error);
  bool shareMode(std::string& error);

  std::string path_;
  Projector& projector_;
  EventLog& log_;
  QLocalServer server_;
  int clients_ = 0;
  int connections_ = 0;
};

}  // namespace pv7100::daemon
