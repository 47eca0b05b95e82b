#include "app/port_diagnosis.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/port_lock.h"

namespace pv7100 {

namespace {

OpenFailureFacts fromErrno(int error) {
  return {openFailureOfErrno(error), std::strerror(error)};
}

// What the device itself shows: whether it is there, what it is, who holds it and whether a
// plain open would be allowed. Nothing when it looks like a serial device free to open.
std::optional<OpenFailureFacts> examineDevice(const std::string& device) {
  const std::string path = deviceSystemPath(device);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return fromErrno(errno);
  if (S_ISDIR(info.st_mode)) return OpenFailureFacts{OpenFailure::notSerial, "it is a directory"};
  if (S_ISREG(info.st_mode))
    return OpenFailureFacts{OpenFailure::notSerial, "it is a regular file"};
  if (!S_ISCHR(info.st_mode))
    return OpenFailureFacts{OpenFailure::notSerial, "it is not a character device"};
  if (const long holder = portLockHolder(device))
    return OpenFailureFacts{OpenFailure::busy, "lock file " + portLockFile(device), holder};
  if (::access(path.c_str(), R_OK | W_OK) != 0) return fromErrno(errno);
  const int probe = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (probe < 0) return fromErrno(errno);
  const bool terminal = ::isatty(probe);
  ::close(probe);
  if (!terminal) return fromErrno(ENOTTY);
  return std::nullopt;
}

OpenFailure failureOfQtError(QSerialPort::SerialPortError error) {
  switch (error) {
    case QSerialPort::DeviceNotFoundError:
      return OpenFailure::noDevice;
    case QSerialPort::PermissionError:
      return OpenFailure::busy;
    case QSerialPort::UnsupportedOperationError:
      return OpenFailure::notSerial;
    default:
      return OpenFailure::other;
  }
}

}  // namespace

OpenFailureFacts diagnoseOpenFailure(const std::string& device, QSerialPort::SerialPortError error,
                                     const std::string& reason) {
  if (auto facts = examineDevice(device)) return *facts;
  return {failureOfQtError(error), reason};
}

}  // namespace pv7100
