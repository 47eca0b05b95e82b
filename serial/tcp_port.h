// A serial line on a serial device server reached over raw TCP ("tcp:HOST:PORT"): ser2net in
// raw mode, or the device servers of AV racks. Lines go out as they are written, without
// waiting to fill a packet.
#pragma once

#include "serial/socket_port.h"

namespace pv7100 {

class TcpPort : public SocketPort {
 public:
  // How long an opening listens for a converter that turns the connection away.
  static constexpr int kGreetingMs = 50;

  TcpPort();

 private:
  int connectTo(const std::string& device) override;
};

}  // namespace pv7100
