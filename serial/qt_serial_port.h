// The serial port on QSerialPort: raw, no flow control, the modem lines (DTR, RTS) as the
// device leaves them. Works inside an event loop (bursts arrive with readyRead) and without
// one, through waitForReceived().
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QObject>
#include <QSerialPort>

#include "port/serial_port.h"

namespace pv7100 {

class QtSerialPort : public QObject, public SerialPort {
  Q_OBJECT

 public:
  explicit QtSerialPort(QObject* parent = nullptr);
  ~QtSerialPort() override;

  void open(const std::string& device, const LineSettings& settings) override;
  void close() override;
  bool isOpen() const override { return serial_.isOpen(); }
  const std::string& device() const override { return device_; }
  const LineSettings& settings() const override { return settings_; }
  void setSettings(const LineSettings& settings) override;
  void write(std::string_view bytes) override;
  std::size_t bytesToWrite() const override;
  void onReceived(std::function<void(std::string_view bytes)> handler) override {
    onReceived_ = std::move(handler);
  }
  void onLost(std::function<void(const PortError& error)> handler) override {
    onLost_ = std::move(handler);
  }

  // For a program without an event loop: waits up to `ms` for bytes and hands them to the
  // receive handler; false when none came. A loss found meanwhile reaches the loss handler
  // before it returns.
  bool waitForReceived(int ms);
  // The open device's descriptor, to wait on together with others; -1 when closed.
  int descriptor() const { return serial_.isOpen() ? static_cast<int>(serial_.handle()) : -1; }

 private:
  bool apply(const LineSettings& settings);
  PortError refusal(const LineSettings& settings);
  void received();
  void failed(QSerialPort::SerialPortError error);
  std::string lossReason(QSerialPort::SerialPortError error) const;
  void deliverLoss();

  std::string device_;
  LineSettings settings_;
  std::function<void(std::string_view)> onReceived_;
  std::function<void(const PortError&)> onLost_;
  std::optional<PortError> loss_;
  QSerialPort serial_{this};
};

}  // namespace pv7100
