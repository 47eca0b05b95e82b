// A serial line served on a local socket ("unix:PATH"), as pv7100d serves the projector it
// holds: what is written goes to the line, the line's answers come back.
#pragma once

#include <QLocalSocket>

#include "serial/socket_port.h"

namespace pv7100 {

class LocalSocketPort : public SocketPort {
  Q_OBJECT

 public:
  explicit LocalSocketPort(QObject* parent = nullptr);
  ~LocalSocketPort() override;

  int descriptor() const override {
    return isOpen() ? static_cast<int>(socket_.socketDescriptor()) : -1;
  }

 private:
  void connectTo(const std::string& device) override;
  void push() override { socket_.flush(); }
  std::size_t queuedInSystem() const override;
  std::string closeReason() const override;

  QLocalSocket socket_;
};

}  // namespace pv7100
