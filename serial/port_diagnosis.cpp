#include "serial/port_diagnosis.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "serial/port_lock.h"

namespace pv7100 {

namespace {

PortError fromErrno(const std::string& device, int error) {
  return {faultOfErrno(error), device, std::strerror(error)};
}

std::optional<PortError> examine(const std::string& device) {
  const std::string path = deviceSystemPath(device);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return fromErrno(device, errno);
  if (S_ISDIR(info.st_mode)) return PortError{PortFault::notSerial, device, "it is a directory"};
  if (S_ISREG(info.st_mode)) return PortError{PortFault::notSerial, device, "it is a regular file"};
  if (!S_ISCHR(info.st_mode))
    return PortError{PortFault::notSerial, device, "it is not a character device"};
  if (const long holder = portLockHolder(device)) {
    const std::string name = processName(holder);
    return PortError{PortFault::busy, device, "lock file " + portLockFile(device),
                     holder,          name,   name == kDaemonName ? sharedSocketOf(device) : ""};
  }
  if (::access(path.c_str(), R_OK | W_OK) != 0) return fromErrno(device, errno);
  const int probe = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (probe < 0) return fromErrno(device, errno);
  const bool terminal = ::isatty(probe);
  ::close(probe);
  if (!terminal) return PortError{PortFault::notSerial, device, "it is not a terminal"};
  return std::nullopt;
}

}  // namespace

PortFault faultOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
    case EIO:  // a serial node with no UART behind it
      return PortFault::noDevice;
    case EACCES:
    case EPERM:
    case EROFS:
      return PortFault::noPermission;
    case EBUSY:
      return PortFault::busy;
    case EISDIR:
    case ENOTTY:
    case EINVAL:
      return PortFault::notSerial;
    default:
      return PortFault::other;
  }
}

PortError diagnoseOpenFailure(const std::string& device, const std::string& reason) {
  if (auto error = examine(device)) return *error;
  return {PortFault::other, device, reason};
}

}  // namespace pv7100
