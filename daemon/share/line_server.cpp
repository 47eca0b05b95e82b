#include "daemon/share/line_server.h"

#include <cerrno>
#include <cstring>

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

#include "daemon/core/file_kind.h"
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
  if (!clearPath(error)) return false;
  if (!server_.listen(path)) {
    error = server_.errorString().toStdString();
    return false;
  }
  shareMode();
  return true;
}

// Nothing may be at the path but a socket that no program serves, left by a daemon that did
// not end cleanly: that one is removed. Anything else stays as it is.
bool LineServer::clearPath(std::string& error) {
  struct stat info {};
  if (::lstat(path_.c_str(), &info) != 0) return true;
  if (!S_ISSOCK(info.st_mode)) {
    error = std::string(fileKind(info.st_mode)) +
            " is there, left as it is: only a socket that no program serves is taken over";
    return false;
  }
  // Without waiting: a server whose backlog is full still serves.
  const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path_.copy(address.sun_path, sizeof address.sun_path - 1);
  const int refused =
      ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 0 : errno;
  ::close(probe);
  if (refused == 0 || refused == EAGAIN || refused == EINPROGRESS) {
    error = "another program serves it";
    return false;
  }
  if (refused != ECONNREFUSED) {
    error = "a socket is there that cannot be tried: " + std::string(std::strerror(refused));
    return false;
  }
  if (::unlink(path_.c_str()) != 0) {
    error = "a socket that no program serves is there and cannot be removed: " +
            std::string(std::strerror(errno));
    return false;
  }
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
