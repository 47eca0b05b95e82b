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
namespace {

sockaddr_un addressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  return address;
}

}  // namespace

LineServer::LineServer(std::string path, Projector& projector)
    : path_(std::move(path)), projector_(projector), log_(projector.log()) {
  connect(&server_, &QLocalServer::newConnection, this, [this] { accept(); });
}

LineServer::~LineServer() {
  qDeleteAll(findChildren<LineClient*>(Qt::FindDirectChildrenOnly));
  // Made from a descriptor, the socket is this server's to remove.
  if (server_.isListening()) ::unlink(path_.c_str());
  server_.close();
}

// The socket is bound, given its group and mode, and only then listens: no one outside the
// group can connect in between.
bool LineServer::listen(std::string& error) {
  const QString path = QString::fromStdString(path_);
  QDir().mkpath(QFileInfo(path).absolutePath());
  if (!clearPath(error)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = "cannot make a socket: " + std::string(std::strerror(errno));
    return false;
  }
  const sockaddr_un address = addressOf(path_);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    error = std::strerror(errno);
    ::close(fd);
    return false;
  }
  if (shareMode(error) && ::listen(fd, server_.listenBacklogSize()) == 0 && server_.listen(fd))
    return true;
  if (error.empty()) error = std::strerror(errno);
  ::close(fd);
  ::unlink(path_.c_str());
  return false;
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
  if (probe < 0) {
    error = "cannot make a socket to try the one there: " + std::string(std::strerror(errno));
    return false;
  }
  const sockaddr_un address = addressOf(path_);
  const int refused =
      ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0
                                                                                         : errno;
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
bool LineServer::shareMode(std::string& error) {
  if (const group* dialout = ::getgrnam("dialout")) {
    if (::chown(path_.c_str(), static_cast<uid_t>(-1), dialout->gr_gid) != 0)
      log_.event("cannot give " + path_ + " to the group dialout; only this user may use it");
  }
  if (::chmod(path_.c_str(), 0660) == 0) return true;
  error = "cannot set its mode to 0660: " + std::string(std::strerror(errno));
  return false;
}

void LineServer::accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    if (clients_ >= kMaxClients) {
      log_.counted("refused a socket client", 1, [](long n) {
        return (n == 1 ? std::string("refused a socket client")
                       : "refused " + std::to_string(n) + " socket clients") +
               ": " + std::to_string(kMaxClients) + " clients are connected";
      });
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
