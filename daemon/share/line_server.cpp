#include "daemon/share/line_server.h"

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

#include "daemon/share/line_client.h"
#include "serial/turned_away.h"

namespace pv7100::daemon {

LineServer::LineServer(std::string path, Projector& projector)
    : path_(std::move(path)), projector_(projector), log_(projector.log()) {
  connect(&server_, &QLocalServer::newConnection, this, [this] { accept(); });
}

LineServer::~LineServer() {
  qDeleteAll(findChildren<LineClient*>(Qt::FindDirectChildrenOnly));
  server_.close();
}

bool LineServer::listen(std::string& error) {
  const QString path = QString::fromStdString(path_);
  QDir().mkpath(QFileInfo(path).absolutePath());
  if (!server_.listen(path) && server_.serverError() == QAbstractSocket::AddressInUseError) {
    // A socket left by a daemon that did not end cleanly is taken over; a living one is not.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(1000)) {
      error = "another program serves it";
      return false;
    }
    QLocalServer::removeServer(path);
    server_.listen(path);
  }
  if (!server_.isListening()) {
    error = server_.errorString().toStdString();
    return false;
  }
  shareMode();
  return true;
}

// Whoever may use the serial devices may use the socket: the group dialout, mode 0660.
void LineServer::shareMode() {
  if (const group* dialout = ::getgrnam("dialout")) {
    if (::chown(path_.c_str(), static_cast<uid_t>(-1), dialout->gr_gid) != 0)
      log_.event("cannot give " + path_ + " to the group dialout; only this user may use it");
  }
  ::chmod(path_.c_str(), 0660);
}

void LineServer::accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    if (clients_ >= kMaxClients) {
      log_.event("refused a socket client: " + std::to_string(kMaxClients) +
                 " clients are connected");
      // Said before the connection closes, so that the client can tell why; a fresh socket
      // takes these few bytes at once.
      (void)!::send(static_cast<int>(socket->socketDescriptor()), kTurnedAwayNotice.data(),
                    kTurnedAwayNotice.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      socket->abort();
      socket->deleteLater();
      continue;
    }
    new LineClient(socket, *this, ++connections_);
  }
}

}  // namespace pv7100::daemon
