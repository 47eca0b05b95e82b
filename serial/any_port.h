// The serial port the programs open: it picks, at each opening, what the name stands for
// (port_names.h): a serial device on QSerialPort, a serial device server over TCP, or a local
// socket served by pv7100d. Everything else passes to the port chosen last. As a QObject it
// can carry work queued for as long as the port lives.
#pragma once

#include "serial/local_socket_port.h"
#include "serial/qt_serial_port.h"
#include "serial/tcp_port.h"

namespace pv7100 {

class AnyPort : public QObject, public SerialPort {
 public:
  AnyPort();

  void open(const std::string& device, const LineSettings& settings) override;
  void close() override { chosen_->close(); }
  bool isOpen() const override { return chosen_->isOpen(); }
  const std::string& device() const override { return chosen_->device(); }
  const LineSettings& settings() const override { return chosen_->settings(); }
  void setSettings(const LineSettings& settings) override { chosen_->setSettings(settings); }
  void write(std::string_view bytes) override { chosen_->write(bytes); }
  std::size_t bytesToWrite() const override { return chosen_->bytesToWrite(); }
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
  // The open port's descriptor, to wait on together with others; -1 when closed.
  int descriptor() const {
    return chosenSocket_ ? chosenSocket_->descriptor() : device_.descriptor();
  }

 private:
  QtSerialPort device_;
  TcpPort tcp_;
  LocalSocketPort local_;
  SerialPort* chosen_ = &device_;
  SocketPort* chosenSocket_ = nullptr;
  std::function<void(std::string_view)> onReceived_;
  std::function<void(const PortError&)> onLost_;
};

}  // namespace pv7100
