// QSerialPort marks a device it has open with a lock file, LCK..ttyS0 for /dev/ttyS0, in the
// first usable of the usual lock directories; the file's first line is the holder's PID.
// Reading it tells which program holds a device that would not open.
#pragma once

#include <string>

namespace pv7100 {

// The path under which the system looks for `device` ("ttyUSB0" means /dev/ttyUSB0).
std::string deviceSystemPath(const std::string& device);

// The lock file that QSerialPort takes for `device`, "" when no lock directory is usable.
std::string portLockFile(const std::string& device);

// The PID of the living process that holds `device` through its lock file, 0 when none does.
long portLockHolder(const std::string& device);

}  // namespace pv7100
