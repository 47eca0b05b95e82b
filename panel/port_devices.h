// Which device stands behind each of the panel's two ports, COM1 and COM2.
#pragma once

#include <cstdint>
#include <string>

namespace pv7100 {

// The device behind port 1 or 2 when the user names none: /dev/ttyS0 and /dev/ttyS1.
std::string defaultPortDevice(int port);

// The options --com1 DEVICE and --com2 DEVICE replace the defaults.
struct PortDevices {
  std::string com1 = defaultPortDevice(1);
  std::string com2 = defaultPortDevice(2);

  // The device of port 1 or 2.
  const std::string& device(int port) const { return port == 2 ? com2 : com1; }
};

}  // namespace pv7100
