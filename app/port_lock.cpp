#include "app/port_lock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fstream>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pv7100 {

namespace {

// The directories in the order QSerialPort tries them.
constexpr std::array<const char*, 8> lockDirectories = {
    "/var/lock", "/etc/locks", "/var/spool/locks",  "/var/spool/uucp",
    "/tmp",      "/var/tmp",   "/var/lock/lockdev", "/run/lock",
};

bool isDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool processAlive(long pid) {
  return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

std::string deviceSystemPath(const std::string& device) {
  const bool path =
      device.starts_with('/') || device.starts_with("./") || device.starts_with("../");
  return path ? device : "/dev/" + device;
}

std::string portLockFile(const std::string& device) {
  std::string name = deviceSystemPath(device);
  if (name.starts_with("/dev/")) name.erase(0, 5);
  std::replace(name.begin(), name.end(), '/', '_');
  for (const std::string directory : lockDirectories) {
    const std::string file = directory + "/LCK.." + name;
    if (!isDirectory(directory) || ::access(directory.c_str(), R_OK) != 0) continue;
    if (::access(file.c_str(), F_OK) == 0 || ::access(directory.c_str(), W_OK) == 0) return file;
  }
  return "";
}

long portLockHolder(const std::string& device) {
  const std::string file = portLockFile(device);
  if (file.empty()) return 0;
  std::ifstream lock(file);
  long pid = 0;
  if (!(lock >> pid) || !processAlive(pid)) return 0;
  return pid;
}

}  // namespace pv7100
