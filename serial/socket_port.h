// A serial line reached through a stream socket: a serial device server or ser2net over TCP,
// or pv7100d over a local socket. The line's bytes pass unchanged both ways; the line's speed
// is set where the line is, so this end cannot change it. A connection that closes is a port
// that went away. On plain system sockets, so that a program that opens one loads no network
// library; an event loop serves the socket through notifiers, a program without one through
// waitForReceived().
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QObject>
#include <QSocketNotifier>

#include "port/serial_port.h"

namespace pv7100 {

class SocketPort : public QObject, public SerialPort {
 public:
  // How long opening waits for the connection, a name's look-up included.
  static constexpr int kConnectMs = 5000;

  ~SocketPort() override;

  // The settings are taken as those of the line behind the socket, which cannot be checked
  // from here.
  void open(const std::string& device, const LineSettings& settings) override;
  void close() override;
  bool isOpen() const override { return descriptor_ >= 0; }
  const std::string& device() const override { return device_; }
  const LineSettings& settings() const override { return settings_; }
  // Refused on an open port unless the settings are those it has.
  void setSettings(const LineSettings& settings) override;
  // A connection found ended meanwhile throws the loss (which also reaches the loss handler).
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
  int descriptor() const { return descriptor_; }

 protected:
  // `farEnd` names what serves the socket in reasons ("pv7100d"), `speedKeeper` who sets the
  // line's speed, `unsentRequest` the ioctl that counts the bytes the system still holds.
  // `refusal`, when not empty, is what the far end sends as a connection's first bytes when
  // it turns the connection away: it is never handed on, and the port is then lost as busy.
  SocketPort(std::string farEnd, std::string speedKeeper, unsigned long unsentRequest,
             std::string_view refusal);

  // A connected, non-blocking descriptor for what `device` names, within kConnectMs. Throws
  // PortError.
  virtual int connectTo(const std::string& device) = 0;

 private:
  bool received();
  void take(std::string_view bytes);
  void deliver(std::string_view bytes);
  void flush();
  void ended(int error);
  void lose(PortError error);
  void deliverLoss();

  std::string farEnd_;
  std::string speedKeeper_;
  unsigned long unsentRequest_;
  std::string_view refusal_;
  int descriptor_ = -1;
  std::string device_;
  LineSettings settings_;
  std::string unsent_;  // written, not yet taken by the system
  std::string held_;    // the connection's first bytes, while they may be the refusal
  bool heard_ = false;  // past the first bytes: the refusal can no longer come
  QSocketNotifier readable_{QSocketNotifier::Read};
  QSocketNotifier writable_{QSocketNotifier::Write};
  std::function<void(std::string_view)> onReceived_;
  std::function<void(const PortError&)> onLost_;
  std::optional<PortError> loss_;
};

}  // namespace pv7100
