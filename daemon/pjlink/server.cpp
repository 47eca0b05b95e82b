#include "daemon/pjlink/server.h"

#include "daemon/pjlink/connection.h"

namespace pv7100::daemon {

PjlinkServer::PjlinkServer(ServerSettings settings, Projector& projector)
    : settings_(std::move(settings)),
      projector_(projector),
      port_(projector.port()),
      poller_(projector.poller()),
      door_(projector.commands()),
      log_(projector.log()) {
  connect(&server_, &QTcpServer::newConnection, this, [this] { accept(); });
}

PjlinkServer::~PjlinkServer() {
  qDeleteAll(findChildren<Connection*>(Qt::FindDirectChildrenOnly));
}

bool PjlinkServer::listen(std::string& error) {
  if (server_.listen(settings_.address, settings_.port)) return true;
  error = server_.errorString().toStdString();
  return false;
}

void PjlinkServer::accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    if (clients_ >= settings_.maxClients) {
      log_.counted("refused", 1,
                   [peer = socket->peerAddress().toString().toStdString(),
                    most = std::to_string(settings_.maxClients)](long n) {
                     return (n == 1 ? "refused a connection from " + peer
                                    : "refused " + std::to_string(n) +
                                          " connections, the last from " + peer) +
                            ": " + most + " clients are connected";
                   });
      socket->abort();
      socket->deleteLater();
      continue;
    }
    new Connection(socket, *this);
  }
}

}  // namespace pv7100::daemon
