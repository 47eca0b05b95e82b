#include "panel/port_devices.h"

namespace pv7100 {

std::string defaultPortDevice(int port) {
  return "/dev/ttyS" + std::to_string(port - 1);
}

}  // namespace pv7100
