#include "serial/tcp_port.h"

#include <linux/sockios.h>
#include <sys/ioctl.h>

#include "serial/port_names.h"

namespace pv7100 {
namespace {

std::string quoted(const TcpAddress& address) {
  const bool v6 = address.host.find(':') != std::string::npos;
  return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

}  // namespace

TcpPort::TcpPort(QObject* parent) : SocketPort(socket_, "the converter it runs through", parent) {
  connect(&socket_, &QTcpSocket::readyRead, this, [this] { received(); });
  connect(&socket_, &QTcpSocket::disconnected, this, [this] { disconnected(); });
}

// The socket aborts its connection as it is destroyed; by then nobody here is listening.
TcpPort::~TcpPort() {
  socket_.disconnect(this);
}

void TcpPort::connectTo(const std::string& device) {
  const auto address = tcpAddressOf(device);
  if (!address)
    throw PortError(PortFault::other, device,
                    "not a network port; write tcp:HOST:PORT, such as tcp:rack-7:4001 or "
                    "tcp:[fd00::7]:4001");
  socket_.connectToHost(QString::fromStdString(address->host), address->port);
  if (socket_.waitForConnected(kConnectMs)) {
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    checkGreeting(device);
    return;
  }
  const QAbstractSocket::SocketError error = socket_.error();
  const std::string qtReason = socket_.errorString().toStdString();
  socket_.abort();
  const std::string where = quoted(*address);
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
      throw PortError(
          PortFault::noDevice, device,
          "nothing accepts connections at " + where +
              "; start ser2net (or the converter's service) there, or check the port number");
    case QAbstractSocket::HostNotFoundError:
      throw PortError(PortFault::noDevice, device,
                      "unknown host " + address->host + "; check the name, or give the address");
    case QAbstractSocket::SocketTimeoutError:
      throw PortError(PortFault::other, device,
                      "no connection to " + where + " within " + std::to_string(kConnectMs / 1000) +
                          " s; check the network and the converter's power");
    default:
      break;
  }
  throw PortError(PortFault::other, device, where + ": " + qtReason);
}

// A converter that turns a connection away says why at once and hangs up (ser2net: "Port
// already in use", "Device open failure: …"). What it sends before anything was written is
// never the projector's, and a banner is dropped with it.
void TcpPort::checkGreeting(const std::string& device) {
  QByteArray greeting;
  while (socket_.waitForReadyRead(kGreetingMs) && greeting.size() < 200)
    greeting += socket_.readAll();
  if (socket_.state() == QAbstractSocket::ConnectedState) return;
  socket_.abort();
  const std::string said = greeting.trimmed().toStdString();
  if (said.empty()) throw PortError(PortFault::other, device, "the converter hung up at once");
  throw PortError(said.find("in use") != std::string::npos ? PortFault::busy : PortFault::other,
                  device, "the converter says \"" + said + "\"");
}

// Bytes the system has not yet sent; those sent and not yet acknowledged have left.
std::size_t TcpPort::queuedInSystem() const {
  int unsent = 0;
  if (::ioctl(descriptor(), SIOCOUTQNSD, &unsent) != 0 || unsent < 0) return 0;
  return static_cast<std::size_t>(unsent);
}

std::string TcpPort::closeReason() const {
  const QAbstractSocket::SocketError error = socket_.error();
  if (error == QAbstractSocket::RemoteHostClosedError ||
      error == QAbstractSocket::UnknownSocketError)
    return "the converter closed the connection";
  return socket_.errorString().toStdString();
}

}  // namespace pv7100
