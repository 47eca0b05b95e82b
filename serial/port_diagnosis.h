// Why a device would not open. QSerialPort's own error codes lump a missing permission, a
// lock held by another program and a device in exclusive use together, so the device is
// examined once more after the failure.
#pragma once

#include <string>

#include "port/serial_port.h"

namespace pv7100 {

// The error for `device`, which QSerialPort failed to open giving `reason`: what the device
// itself shows (missing, not a serial device, held by another process, forbidden), or fault
// `other` with Qt's reason when it looks like a serial device free to open.
PortError diagnoseOpenFailure(const std::string& device, const std::string& reason);

// The fault an errno from opening or examining a device stands for.
PortFault faultOfErrno(int error);

}  // namespace pv7100
