#include "app/port_devices.h"

namespace pv7100 {

std::string defaultPortDevice(std::int16_t port) {
  return "/dev/ttyS" + std::to_string(port - 1);
}

}  // namespace pv7100
