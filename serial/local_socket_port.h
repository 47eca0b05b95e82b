// A serial line served on a local socket ("unix:PATH"), as pv7100d serves the projector it
// holds: what is written goes to the line, the line's answers come back. A daemon that serves
// as many clients as it takes says so and closes the connection: the port is then lost as
// busy, with the daemon's words.
#pragma once

#include "serial/socket_port.h"

namespace pv7100 {

class LocalSocketPort : public SocketPort {
 public:
  LocalSocketPort();

 private:
  int connectTo(const std::string& device) override;
};

}  // namespace pv7100
