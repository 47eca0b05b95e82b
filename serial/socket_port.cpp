#include "serial/socket_port.h"

#include <utility>

namespace pv7100 {

SocketPort::SocketPort(QIODevice& socket, std::string speedKeeper, QObject* parent)
    : QObject(parent), socket_(socket), speedKeeper_(std::move(speedKeeper)) {}

void SocketPort::open(const std::string& device, const LineSettings& settings) {
  close();
  loss_.reset();
  device_ = device;
  connectTo(device);
  settings_ = settings;
  open_ = true;
}

void SocketPort::close() {
  // Closing the socket ends the connection, which is no loss.
  open_ = false;
  if (socket_.isOpen()) socket_.close();
}

void SocketPort::setSettings(const LineSettings& settings) {
  if (open_ && settings != settings_)
    throw PortError(PortFault::settingsRefused, device_,
                    "the line's speed is set by " + speedKeeper_ + ", not through this connection");
  settings_ = settings;
}

void SocketPort::write(std::string_view bytes) {
  if (!open_) throw PortError(PortFault::notOpen, device_, "the port is not open");
  const auto size = static_cast<qint64>(bytes.size());
  if (socket_.write(bytes.data(), size) != size)
    throw PortError(PortFault::writeRefused, device_, socket_.errorString().toStdString());
  // Out now rather than when the event loop next serves the socket.
  push();
}

std::size_t SocketPort::bytesToWrite() const {
  if (!open_) return 0;
  return static_cast<std::size_t>(socket_.bytesToWrite()) + queuedInSystem();
}

bool SocketPort::waitForReceived(int ms) {
  const bool got = open_ && socket_.waitForReadyRead(ms);
  deliverLoss();
  return got;
}

void SocketPort::received() {
  if (!open_ || !socket_.isOpen()) return;
  const QByteArray burst = socket_.readAll();
  if (!burst.isEmpty() && onReceived_)
    onReceived_(std::string_view(burst.constData(), static_cast<std::size_t>(burst.size())));
}

// What came just before the end is still the line's and goes out first. The handler runs
// afterwards, outside the socket's own notification.
void SocketPort::disconnected() {
  if (!open_) return;
  received();
  open_ = false;
  loss_.emplace(PortFault::gone, device_, closeReason());
  QMetaObject::invokeMethod(
      this, [this] { deliverLoss(); }, Qt::QueuedConnection);
}

void SocketPort::deliverLoss() {
  if (!loss_) return;
  const PortError error = *std::exchange(loss_, std::nullopt);
  if (socket_.isOpen()) socket_.close();
  if (onLost_) onLost_(error);
}

}  // namespace pv7100
