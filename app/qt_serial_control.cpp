#include "app/qt_serial_control.h"

#include <utility>

#include <sys/ioctl.h>
#include <sys/stat.h>

#include "app/port_diagnosis.h"
#include "app/port_lock.h"
#include "app/port_messages.h"

namespace pv7100 {

QtSerialControl::QtSerialControl(PortDevices devices, QObject* parent)
    : QObject(parent), devices_(std::move(devices)) {
  connect(&serial_, &QSerialPort::readyRead, this, [this] { received(); });
  connect(&serial_, &QSerialPort::errorOccurred, this,
          [this](QSerialPort::SerialPortError error) { failed(error); });
}

// The port closes itself as it is destroyed; by then nobody here is listening.
QtSerialControl::~QtSerialControl() {
  serial_.disconnect(this);
}

void QtSerialControl::CommPort(std::int16_t port) {
  if (port != 1 && port != 2) throw CommError(invalidPortText(port));
  if (serial_.isOpen()) throw CommError(portChangeWhileOpenText(port_, device()));
  port_ = port;
}

void QtSerialControl::Settings(const std::string& settings) {
  const auto parsed = parseLineSettings(settings);
  if (!parsed) throw CommError(invalidSettingsText(settings));
  // The terminal interface knows one or two stop bits only.
  if (parsed->stopBits == QSerialPort::OneAndHalfStop)
    throw CommError(
        settingsRefusedText(port_, device(), settings, "this system has no 1.5 stop bits"));
  if (!apply(*parsed)) {
    const std::string text = refusal(settings);
    apply(settings_);
    throw CommError(text);
  }
  settings_ = *parsed;
  settingsText_ = settings;
}

// On a closed port the settings are kept for the next opening; an open port takes them at once.
bool QtSerialControl::apply(const LineSettings& settings) {
  return serial_.setBaudRate(settings.baudRate) && serial_.setDataBits(settings.dataBits) &&
         serial_.setParity(settings.parity) && serial_.setStopBits(settings.stopBits) &&
         serial_.setFlowControl(QSerialPort::NoFlowControl);
}

std::string QtSerialControl::refusal(const std::string& settings) {
  const std::string reason = serial_.errorString().toStdString();
  serial_.clearError();
  return settingsRefusedText(port_, device(), settings, reason);
}

void QtSerialControl::PortOpen(bool open) {
  if (!open) {
    if (serial_.isOpen()) serial_.close();
    return;
  }
  if (serial_.isOpen())
    throw CommError(openFailureText(port_, device(), {OpenFailure::alreadyOpen, ""}));
  serial_.setPortName(QString::fromStdString(device()));
  apply(settings_);
  if (!serial_.open(QIODevice::ReadWrite)) {
    const QSerialPort::SerialPortError error = serial_.error();
    const std::string reason = serial_.errorString().toStdString();
    serial_.clearError();
    throw CommError(openFailureText(port_, device(), diagnoseOpenFailure(device(), error, reason)));
  }
  // The device may have quietly dropped what it cannot do; asked once more, it says so.
  if (!apply(settings_)) {
    const std::string text = refusal(settingsText_);
    serial_.close();
    throw CommError(text);
  }
  // Characters that reached the device before it was opened belong to nobody.
  serial_.clear();
}

void QtSerialControl::Output(std::string_view text) {
  if (!serial_.isOpen()) throw CommError(notOpenText());
  const auto size = static_cast<qint64>(text.size());
  if (serial_.write(text.data(), size) != size) {
    const std::string reason = serial_.errorString().toStdString();
    serial_.clearError();
    throw CommError(outputRefusedText(port_, device(), reason));
  }
  // Out now rather than when the event loop next serves the port: a press puts its line on
  // the wire before the button has even repainted.
  serial_.flush();
}

std::string QtSerialControl::Input() {
  if (!serial_.isOpen()) return {};
  const QByteArray waiting = serial_.readAll();
  return std::string(waiting.constData(), static_cast<std::size_t>(waiting.size()));
}

std::size_t QtSerialControl::OutBufferCount() const {
  if (!serial_.isOpen()) return 0;
  auto pending = static_cast<std::size_t>(serial_.bytesToWrite());
  int inKernel = 0;
  if (::ioctl(serial_.handle(), TIOCOUTQ, &inKernel) == 0 && inKernel > 0)
    pending += static_cast<std::size_t>(inKernel);
  return pending;
}

void QtSerialControl::received() {
  event_ = comEvReceive;
  if (onComm_) onComm_();
}

// Why the open port stopped working, in the user's words: a device whose node is gone was
// unplugged, and a read that finds nothing more means the device hung up (what the system then
// reports as the reason is left over from an earlier call).
std::string QtSerialControl::lossReason(QSerialPort::SerialPortError error) const {
  struct stat info {};
  if (::stat(deviceSystemPath(device()).c_str(), &info) != 0) return "the device is gone";
  if (error == QSerialPort::ReadError) return "the device hung up";
  return serial_.errorString().toStdString();
}

// A device that went away leaves QSerialPort reporting the error again and again with the
// port still open, so the port is closed at the first report. The handler runs afterwards
// from the event loop, outside the port's own notification.
void QtSerialControl::failed(QSerialPort::SerialPortError error) {
  if ((error != QSerialPort::ReadError && error != QSerialPort::ResourceError) || !serial_.isOpen())
    return;
  const std::string text = portLostText(port_, device(), lossReason(error));
  serial_.close();
  serial_.clearError();
  QMetaObject::invokeMethod(
      this,
      [this, text] {
        if (onLost_) onLost_(text);
      },
      Qt::QueuedConnection);
}

}  // namespace pv7100
