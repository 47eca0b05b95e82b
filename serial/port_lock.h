// Who holds a serial device through the lock file QSerialPort takes for it.
//
// Qt 6.4's QSerialPort on Linux locks a device it opens with a QLockFile named LCK..<name>
// ("LCK..ttyUSB0", "LCK..pts_7"), in the first directory of a fixed list that is readable
// and either already holds that file or is writable. Qt offers no call that names the file,
// so the list is repeated here in Qt's order; a test opens a port with QSerialPort and finds
// its lock where this says. The holder is read with QLockFile's own getLockInfo().
#pragma once

#include <string>

namespace pv7100 {

// The path the system opens for `device`, as QSerialPort reads a port name ("ttyUSB0" means
// /dev/ttyUSB0).
std::string deviceSystemPath(const std::string& device);

// The device `device` stands for with every symbolic link resolved, so that one device has
// one lock whatever name it is opened by; the system path when it cannot be resolved.
std::string realDevicePath(const std::string& device);

// The lock file QSerialPort takes for `device`, "" when no lock directory is usable.
std::string portLockFile(const std::string& device);

// The PID of the living process that holds `device` through its lock file, 0 when none does.
long portLockHolder(const std::string& device);

// The file beside a lock in which pv7100d, holding the device, names the local socket through
// which it shares the line.
std::string sharingNoteFile(const std::string& lockFile);

// The socket pv7100d shares `device` on, from the note beside its lock; "" when none is named.
std::string sharedSocketOf(const std::string& device);

// The name of process `pid` from /proc/PID/comm, "" when it cannot be read.
std::string processName(long pid);

}  // namespace pv7100
