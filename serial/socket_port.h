// A serial line reached through a stream socket: a serial device server or ser2net over TCP,
// or pv7100d over a local socket. The line's bytes pass unchanged both ways; the line's speed
// is set where the line is, so this end cannot change it. A connection that closes is a port
// that went away. Works inside an event loop and without one, through waitForReceived().
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QIODevice>
#include <QObject>

#include "port/serial_port.h"

namespace pv7100 {

class SocketPort : public QObject, public SerialPort {
  Q_OBJECT

 public:
  // How long opening waits for the connection.
  static constexpr int kConnectMs = 5000;

  // The settings are taken as those of the line behind the socket, which cannot be checked
  // from here.
  void open(const std::string& device, const LineSettings& settings) override;
  void close() override;
  bool isOpen() const override { return open_; }
  const std::string& device() const override { return device_; }
  const LineSettings& settings() const override { return settings_; }
  // Refused on an open port unless the settings are those it has.
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
  // The open socket's descriptor, to wait on together with others; -1 when closed.
  virtual int descriptor() const = 0;

 protected:
  // `socket` is the subclass's own, not yet built; `speedKeeper` says who sets the line's speed.
  SocketPort(QIODevice& socket, std::string speedKeeper, QObject* parent);

  // Connects to what `device` names within kConnectMs. Throws PortError, leaving the socket
  // unconnected.
  virtual void connectTo(const std::string& device) = 0;
  // Hands what the socket has queued to the system now.
  virtual void push() = 0;
  // Bytes the system holds that have not left this end.
  virtual std::size_t queuedInSystem() const = 0;
  // Why the connection ended, in the reader's words.
  virtual std::string closeReason() const = 0;

  // The subclass calls these when its socket has bytes, and when it says the connection ended.
  void received();
  void disconnected();

 private:
  void deliverLoss();

  QIODevice& socket_;
  std::string speedKeeper_;
  std::string device_;
  LineSettings settings_;
  bool open_ = false;
  std::function<void(std::string_view)> onReceived_;
  std::function<void(const PortError&)> onLost_;
  std::optional<PortError> loss_;
};

}  // namespace pv7100
