#include "daemon/settings_files.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "daemon/core/file_kind.h"
#include "daemon/options.h"

namespace pv7100::daemon {
namespace {

struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

bool isNullDevice(const struct stat& info) {
  struct stat null {};
  return S_ISCHR(info.st_mode) && ::stat("/dev/null", &null) == 0 && info.st_rdev == null.st_rdev;
}

// The regular file at `path`, `what` in messages, up to `most` bytes; nullopt when nothing is
// there. It is looked at before it is opened, and opened without waiting, so that a FIFO or a
// device is refused and never read.
std::optional<std::string> readBounded(const std::string& path, const std::string& what,
                                       std::size_t most, bool nullIsEmpty) {
  const auto cannotRead = [&] {
    return UsageError("cannot read the " + what + " " + path + ": " + std::strerror(errno));
  };
  const auto notRegular = [&](const struct stat& info) {
    return UsageError("the " + what + " " + path + " is " + std::string(fileKind(info.st_mode)) +
                      (S_ISDIR(info.st_mode) ? "" : ", not a regular file"));
  };
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return std::nullopt;
    throw cannotRead();
  }
  if (nullIsEmpty && isNullDevice(info)) return std::string();
  if (!S_ISREG(info.st_mode)) throw notRegular(info);
  const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (file.fd < 0) throw cannotRead();
  if (::fstat(file.fd, &info) != 0) throw cannotRead();
  if (!S_ISREG(info.st_mode)) throw notRegular(info);
  std::string text(most + 1, '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t read = ::read(file.fd, text.data() + got, text.size() - got);
    if (read == 0) break;
    if (read < 0 && errno != EINTR) throw cannotRead();
    if (read > 0) got += static_cast<std::size_t>(read);
  }
  if (got > most)
    throw UsageError("the " + what + " " + path + " is larger than " + std::to_string(most / 1024) +
                     " KiB, more than a " + what + " may be");
  text.resize(got);
  return text;
}

}  // namespace

std::optional<std::string> readConfigFile(const std::string& path) {
  return readBounded(path, "config file", kMaxConfigBytes, true);
}

namespace {

// The first line of a password file, 1 to `most` characters.
std::string firstLine(const std::string& path, const std::string& what, std::size_t most) {
  const std::optional<std::string> text = readBounded(path, what, kMaxPasswordFileBytes, false);
  if (!text) throw UsageError("the " + what + " " + path + " does not exist");
  std::string password = text->substr(0, text->find('\n'));
  if (password.ends_with('\r')) password.pop_back();
  if (password.empty() || password.size() > most)
    throw UsageError("the password in " + path + " must have 1 to " + std::to_string(most) +
                     " characters");
  return password;
}

}  // namespace

std::string readPasswordFile(const std::string& path) {
  return firstLine(path, "password file", 32);
}

std::string readMqttPasswordFile(const std::string& path) {
  return firstLine(path, "MQTT password file", 256);
}

std::string readCertificateFile(const std::string& path, const std::string& what) {
  std::optional<std::string> text = readBounded(path, what + " file", kMaxCertificateBytes, false);
  if (!text) throw UsageError("the " + what + " file " + path + " does not exist");
  return std::move(*text);
}

}  // namespace pv7100::daemon
