// Finding out why a device would not open. QSerialPort's own error codes lump a missing
// permission, a lock held by another program and a device in exclusive use together, so the
// device is examined once more after the failure.
#pragma once

#include <string>

#include <QSerialPort>

#include "app/port_messages.h"

namespace pv7100 {

// Why `device` failed to open, given the error and the reason that QSerialPort reported.
OpenFailureFacts diagnoseOpenFailure(const std::string& device, QSerialPort::SerialPortError error,
                                     const std::string& reason);

}  // namespace pv7100
