#include "app/port_devices.h"

namespace pv7100 {

std::string defaultPortDevice(std::int16_t port) {
#ifdef _WIN32
  return "COM" + std::to_string(port);
#else
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

}  // namespace pv7100
