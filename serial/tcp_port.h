// A serial line on a serial device server reached over raw TCP ("tcp:HOST:PORT"): ser2net in
// raw mode, or the device servers of AV racks. Lines go out as they are written, without
// waiting to fill a packet.
#pragma once

#include <QTcpSocket>

#include "serial/socket_port.h"

namespace pv7100 {

class TcpPort : public SocketPort {
  Q_OBJECT

 public:
  // How long an opening listens for a converter that turns the connection away.
  static constexpr int kGreetingMs = 50;

  explicit TcpPort(QObject* parent = nullptr);
  ~TcpPort() override;

  int descriptor() const override {
    return isOpen() ? static_cast<int>(socket_.socketDescriptor()) : -1;
  }

 private:
  void connectTo(const std::string& device) override;
  void checkGreeting(const std::string& device);
  void push() override { socket_.flush(); }
  std::size_t queuedInSystem() const override;
  std::string closeReason() const override;

  QTcpSocket socket_;
};

}  // namespace pv7100
