#include "serial/port_lock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>

#include <signal.h>
#include <unistd.h>

#include <QFileInfo>
#include <QLockFile>

namespace pv7100 {

namespace {

// Qt 6.4's lock directories on Linux, in the order it tries them.
constexpr std::array<const char*, 8> kLockDirectories = {
    "/var/lock", "/etc/locks", "/var/spool/locks",  "/var/spool/uucp",
    "/tmp",      "/var/tmp",   "/var/lock/lockdev", "/run/lock",
};

bool processAlive(long pid) {
  return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

std::string deviceSystemPath(const std::string& device) {
  const bool path =
      device.starts_with('/') || device.starts_with("./") || device.starts_with("../");
  return path ? device : "/dev/" + device;
}

std::string realDevicePath(const std::string& device) {
  const std::string path = deviceSystemPath(device);
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : path;
}

std::string portLockFile(const std::string& device) {
  std::string name = realDevicePath(device);
  if (name.starts_with("/dev/")) name.erase(0, 5);
  std::replace(name.begin(), name.end(), '/', '_');
  for (const std::string directory : kLockDirectories) {
    const std::string file = directory + "/LCK.." + name;
    const QFileInfo info(QString::fromStdString(directory));
    if (!info.isDir() || !info.isReadable()) continue;
    if (QFileInfo::exists(QString::fromStdString(file)) || info.isWritable()) return file;
  }
  return "";
}

long portLockHolder(const std::string& device) {
  const std::string file = portLockFile(device);
  if (file.empty()) return 0;
  qint64 pid = 0;
  QString host;
  QString application;
  if (!QLockFile(QString::fromStdString(file)).getLockInfo(&pid, &host, &application)) return 0;
  return processAlive(pid) ? static_cast<long>(pid) : 0;
}

std::string sharingNoteFile(const std::string& lockFile) {
  return lockFile + ".socket";
}

std::string sharedSocketOf(const std::string& device) {
  const std::string lock = portLockFile(device);
  if (lock.empty()) return "";
  std::ifstream note(sharingNoteFile(lock));
  std::string path;
  std::getline(note, path);
  return path;
}

std::string processName(long pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

}  // namespace pv7100
