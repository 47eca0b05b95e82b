#include "sim/serial_line.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace pv7100::sim {
namespace {

[[noreturn]] void fail(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

speed_t speed(int baud) {
  return baud == 9600 ? B9600 : B19200;
}

// Raw 8N1 at `baud`: no echo, no line editing, no translation of CR or LF, no flow control.
void makeRaw(int fd, int baud, const std::string& path) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) fail("cannot read the settings of " + path);
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | CRTSCTS);
  cfsetispeed(&settings, speed(baud));
  cfsetospeed(&settings, speed(baud));
  if (tcsetattr(fd, TCSANOW, &settings) != 0) fail("cannot set up " + path);
}

void addFlags(int fd, int statusFlags, int descriptorFlags) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | statusFlags);
  fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | descriptorFlags);
}

}  // namespace

SerialLine SerialLine::openPseudoTerminal(int baud) {
  int near = -1;
  int far = -1;
  if (openpty(&near, &far, nullptr, nullptr, nullptr) != 0) fail("cannot open a pseudo-terminal");
  SerialLine line(near, far, "");
  char name[256];
  if (const int error = ttyname_r(far, name, sizeof name); error != 0) {
    errno = error;
    fail("cannot name the pseudo-terminal");
  }
  line.path_ = name;
  addFlags(near, O_NONBLOCK, FD_CLOEXEC);
  addFlags(far, 0, FD_CLOEXEC);
  makeRaw(far, baud, line.path_);
  return line;
}

SerialLine SerialLine::openDevice(const std::string& path, int baud) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) fail("cannot open " + path);
  SerialLine line(fd, -1, path);
  if (!isatty(fd)) fail(path + " is not a serial device");
  makeRaw(fd, baud, path);
  tcflush(fd, TCIOFLUSH);
  return line;
}

SerialLine::SerialLine(int fd, int farEnd, std::string path)
    : fd_(fd), farEnd_(farEnd), path_(std::move(path)) {}

SerialLine::SerialLine(SerialLine&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      farEnd_(std::exchange(other.farEnd_, -1)),
      path_(std::move(other.path_)) {}

SerialLine::~SerialLine() {
  if (fd_ >= 0) close(fd_);
  if (farEnd_ >= 0) close(farEnd_);
}

DeviceLink::DeviceLink(std::string path, std::string target)
    : path_(std::move(path)), target_(std::move(target)) {
  struct stat existing {};
  if (lstat(path_.c_str(), &existing) == 0) {
    if (!S_ISLNK(existing.st_mode)) {
      errno = EEXIST;
      fail("cannot make the link " + path_);
    }
    unlink(path_.c_str());
  }
  if (symlink(target_.c_str(), path_.c_str()) != 0) fail("cannot make the link " + path_);
}

DeviceLink::~DeviceLink() {
  char pointsTo[4096];
  const ssize_t length = readlink(path_.c_str(), pointsTo, sizeof pointsTo);
  if (length >= 0 && std::string(pointsTo, static_cast<std::size_t>(length)) == target_) {
    unlink(path_.c_str());
  }
}

}  // namespace pv7100::sim
