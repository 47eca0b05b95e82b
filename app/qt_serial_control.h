// The serial control on QSerialPort. Port 1 and port 2 are the devices of PortDevices; the
// control opens one of them at a time, raw, with no flow control and the modem lines as the
// device leaves them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <QObject>
#include <QSerialPort>

#include "app/port_devices.h"
#include "app/port_settings.h"
#include "app/serial_control.h"

namespace pv7100 {

class QtSerialControl : public QObject, public SerialControl {
  Q_OBJECT

 public:
  explicit QtSerialControl(PortDevices devices, QObject* parent = nullptr);
  ~QtSerialControl() override;

  void CommPort(std::int16_t port) override;
  std::int16_t CommPort() const override { return port_; }
  void Settings(const std::string& settings) override;
  void PortOpen(bool open) override;
  bool PortOpen() const override { return serial_.isOpen(); }
  void Output(std::string_view text) override;
  std::string Input() override;
  std::int16_t CommEvent() const override { return event_; }
  std::size_t OutBufferCount() const override;
  void OnComm(std::function<void()> handler) override { onComm_ = std::move(handler); }
  void OnPortLost(std::function<void(const std::string&)> handler) override {
    onLost_ = std::move(handler);
  }

 private:
  const std::string& device() const { return devices_.device(port_); }
  bool apply(const LineSettings& settings);
  std::string refusal(const std::string& settings);
  void received();
  void failed(QSerialPort::SerialPortError error);
  std::string lossReason(QSerialPort::SerialPortError error) const;

  PortDevices devices_;
  std::int16_t port_ = 1;
  std::string settingsText_ = "19200,N,8,1";
  LineSettings settings_;
  std::int16_t event_ = 0;
  std::function<void()> onComm_;
  std::function<void(const std::string&)> onLost_;
  QSerialPort serial_{this};
};

}  // namespace pv7100
