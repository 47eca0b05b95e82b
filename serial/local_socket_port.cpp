#include "serial/local_socket_port.h"

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <QFileInfo>

#include "serial/port_names.h"

namespace pv7100 {

LocalSocketPort::LocalSocketPort(QObject* parent)
    : SocketPort(socket_, "the daemon that serves the socket (pv7100d)", parent) {
  connect(&socket_, &QLocalSocket::readyRead, this, [this] { received(); });
  connect(&socket_, &QLocalSocket::disconnected, this, [this] { disconnected(); });
}

// The socket aborts its connection as it is destroyed; by then nobody here is listening.
LocalSocketPort::~LocalSocketPort() {
  socket_.disconnect(this);
}

void LocalSocketPort::connectTo(const std::string& device) {
  const std::string path = localPathOf(device);
  if (path.empty())
    throw PortError(PortFault::other, device,
                    "no socket named; write unix:PATH, such as unix:/run/pv7100/hall.sock");
  // A name without a slash would be taken from Qt's temporary directory.
  socket_.connectToServer(QFileInfo(QString::fromStdString(path)).absoluteFilePath());
  if (socket_.waitForConnected(kConnectMs)) return;
  const QLocalSocket::LocalSocketError error = socket_.error();
  const std::string qtReason = socket_.errorString().toStdString();
  socket_.abort();
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISSOCK(info.st_mode))
    throw PortError(PortFault::notSerial, device, "it is not a socket");
  switch (error) {
    case QLocalSocket::ServerNotFoundError:
      throw PortError(PortFault::noDevice, device,
                      "no such socket; start pv7100d, or name the socket it serves");
    case QLocalSocket::ConnectionRefusedError:
      throw PortError(PortFault::noDevice, device, "nobody serves the socket; start pv7100d again");
    case QLocalSocket::SocketAccessError:
      throw PortError(PortFault::noPermission, device, qtReason);
    case QLocalSocket::SocketTimeoutError:
      throw PortError(
          PortFault::other, device,
          "pv7100d took no connection within " + std::to_string(kConnectMs / 1000) + " s");
    default:
      break;
  }
  throw PortError(PortFault::other, device, qtReason);
}

// Bytes in the socket that the daemon has not read yet.
std::size_t LocalSocketPort::queuedInSystem() const {
  int unread = 0;
  if (::ioctl(descriptor(), SIOCOUTQ, &unread) != 0 || unread < 0) return 0;
  return static_cast<std::size_t>(unread);
}

std::string LocalSocketPort::closeReason() const {
  const QLocalSocket::LocalSocketError error = socket_.error();
  if (error == QLocalSocket::PeerClosedError || error == QLocalSocket::UnknownSocketError)
    return "pv7100d closed the connection";
  return socket_.errorString().toStdString();
}

}  // namespace pv7100
