#include "serial/qt_serial_port.h"

#include <utility>

#include <sys/ioctl.h>
#include <sys/stat.h>

#include "serial/port_diagnosis.h"
#include "serial/port_lock.h"

namespace pv7100 {

namespace {

std::optional<QSerialPort::DataBits> dataBitsOf(int bits) {
  switch (bits) {
    case 5:
      return QSerialPort::Data5;
    case 6:
      return QSerialPort::Data6;
    case 7:
      return QSerialPort::Data7;
    case 8:
      return QSerialPort::Data8;
    default:
      return std::nullopt;
  }
}

QSerialPort::Parity parityOf(Parity parity) {
  switch (parity) {
    case Parity::even:
      return QSerialPort::EvenParity;
    case Parity::odd:
      return QSerialPort::OddParity;
    case Parity::none:
      break;
  }
  return QSerialPort::NoParity;
}

std::string describe(const LineSettings& settings) {
  const char parity = settings.parity == Parity::none   ? 'N'
                      : settings.parity == Parity::even ? 'E'
                                                        : 'O';
  return std::to_string(settings.baud) + " baud, " + std::to_string(settings.dataBits) + parity +
         std::to_string(settings.stopBits);
}

}  // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
  connect(&serial_, &QSerialPort::readyRead, this, [this] { received(); });
  connect(&serial_, &QSerialPort::errorOccurred, this,
          [this](QSerialPort::SerialPortError error) { failed(error); });
}

// The port closes itself as it is destroyed; by then nobody here is listening.
QtSerialPort::~QtSerialPort() {
  serial_.disconnect(this);
  close();
}

// On a closed port the settings are kept for the next opening; an open port takes them at once.
bool QtSerialPort::apply(const LineSettings& settings) {
  const auto bits = dataBitsOf(settings.dataBits);
  if (!bits || settings.baud <= 0 || (settings.stopBits != 1 && settings.stopBits != 2))
    return false;
  return serial_.setBaudRate(settings.baud) && serial_.setDataBits(*bits) &&
         serial_.setParity(parityOf(settings.parity)) &&
         serial_.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop
                                                    : QSerialPort::OneStop) &&
         serial_.setFlowControl(QSerialPort::NoFlowControl);
}

PortError QtSerialPort::refusal(const LineSettings& settings) {
  std::string reason = "it would not take " + describe(settings);
  if (serial_.error() != QSerialPort::NoError)
    reason += " (" + serial_.errorString().toStdString() + ")";
  serial_.clearError();
  return {PortFault::settingsRefused, device_, reason};
}

void QtSerialPort::open(const std::string& device, const LineSettings& settings) {
  if (serial_.isOpen()) serial_.close();
  loss_.reset();
  device_ = device;
  // The real device, so that its lock is the same whatever link it is opened through.
  serial_.setPortName(QString::fromStdString(realDevicePath(device)));
  if (!apply(settings)) throw refusal(settings);
  if (!serial_.open(QIODevice::ReadWrite)) {
    const std::string reason = serial_.errorString().toStdString();
    serial_.clearError();
    throw diagnoseOpenFailure(device, reason);
  }
  // Nobody else opens the tty while it is held here, whether or not they honour lock files.
  ::ioctl(serial_.handle(), TIOCEXCL);
  // The device may have quietly dropped what it cannot do; asked once more, it says so.
  if (!apply(settings)) {
    PortError error = refusal(settings);
    serial_.close();
    throw error;
  }
  // Bytes that reached the device before it was opened belong to nobody.
  serial_.clear();
  settings_ = settings;
}

void QtSerialPort::close() {
  if (!serial_.isOpen()) return;
  ::ioctl(serial_.handle(), TIOCNXCL);
  serial_.close();
}

void QtSerialPort::setSettings(const LineSettings& settings) {
  if (!apply(settings)) {
    PortError error = refusal(settings);
    apply(settings_);
    throw error;
  }
  settings_ = settings;
}

void QtSerialPort::write(std::string_view bytes) {
  if (!serial_.isOpen()) throw PortError(PortFault::notOpen, device_, "the port is not open");
  const auto size = static_cast<qint64>(bytes.size());
  if (serial_.write(bytes.data(), size) != size) {
    const std::string reason = serial_.errorString().toStdString();
    serial_.clearError();
    throw PortError(PortFault::writeRefused, device_, reason);
  }
  // Out now rather than when the event loop next serves the port.
  serial_.flush();
}

std::size_t QtSerialPort::bytesToWrite() const {
  if (!serial_.isOpen()) return 0;
  auto pending = static_cast<std::size_t>(serial_.bytesToWrite());
  int inKernel = 0;
  if (::ioctl(serial_.handle(), TIOCOUTQ, &inKernel) == 0 && inKernel > 0)
    pending += static_cast<std::size_t>(inKernel);
  return pending;
}

bool QtSerialPort::waitForReceived(int ms) {
  const bool got = serial_.isOpen() && serial_.waitForReadyRead(ms);
  if (!serial_.isOpen()) deliverLoss();
  return got;
}

void QtSerialPort::received() {
  const QByteArray burst = serial_.readAll();
  if (!burst.isEmpty() && onReceived_)
    onReceived_(std::string_view(burst.constData(), static_cast<std::size_t>(burst.size())));
}

// A device whose node is gone was unplugged; a read that finds nothing more means the device
// hung up (what the system then reports as the reason is left over from an earlier call).
std::string QtSerialPort::lossReason(QSerialPort::SerialPortError error) const {
  struct stat info {};
  if (::stat(deviceSystemPath(device_).c_str(), &info) != 0) return "the device is gone";
  if (error == QSerialPort::ReadError) return "the device hung up";
  return serial_.errorString().toStdString();
}

// A device that went away leaves QSerialPort reporting the error again and again with the
// port still open, so the port is closed at the first report. The handler runs afterwards,
// outside the port's own notification.
void QtSerialPort::failed(QSerialPort::SerialPortError error) {
  if ((error != QSerialPort::ReadError && error != QSerialPort::ResourceError) || !serial_.isOpen())
    return;
  loss_.emplace(PortFault::gone, device_, lossReason(error));
  serial_.close();
  serial_.clearError();
  QMetaObject::invokeMethod(
      this, [this] { deliverLoss(); }, Qt::QueuedConnection);
}

void QtSerialPort::deliverLoss() {
  if (!loss_) return;
  const PortError error = *std::exchange(loss_, std::nullopt);
  if (onLost_) onLost_(error);
}

}  // namespace pv7100
