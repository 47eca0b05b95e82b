#include "serial/logged_serial_port.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "protocol/line_format.h"

namespace pv7100 {

namespace {

LogFileError notAppendable(const std::string& path) {
  return LogFileError("cannot append to the log file " + path +
                      ": it is neither a regular file nor a character device");
}

bool appendable(const struct stat& info) {
  return S_ISREG(info.st_mode) || S_ISCHR(info.st_mode);
}

std::vector<LoggedSerialPort*>& everyPort() {
  static std::vector<LoggedSerialPort*> ports;
  return ports;
}

}  // namespace

int openLogForAppending(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !appendable(info)) throw notAppendable(path);
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0)
    throw LogFileError("cannot append to the log file " + path + ": " + std::strerror(errno));
  if (::fstat(fd, &info) != 0 || !appendable(info)) {
    ::close(fd);
    throw notAppendable(path);
  }
  ::fcntl(fd, F_SETFL, O_WRONLY | O_APPEND);
  return fd;
}

LoggedSerialPort::LoggedSerialPort(SerialPort& port, const std::string& path)
    : port_(port), path_(path), file_(openLogForAppending(path)) {
  everyPort().push_back(this);
  port_.onReceived([this](std::string_view bytes) { received(bytes); });
  port_.onLost([this](const PortError& error) {
    logPending();
    if (onLost_) onLost_(error);
  });
}

LoggedSerialPort::~LoggedSerialPort() {
  port_.onReceived(nullptr);
  port_.onLost(nullptr);
  logPending();
  ::close(file_);
  std::erase(everyPort(), this);
}

void LoggedSerialPort::reopenLog() {
  const int file = openLogForAppending(path_);
  ::close(file_);
  file_ = file;
  failed_ = false;
}

void LoggedSerialPort::reopenLogs() {
  for (LoggedSerialPort* port : everyPort()) port->reopenLog();
}

void LoggedSerialPort::open(const std::string& device, const LineSettings& settings) {
  logPending();
  port_.open(device, settings);
}

void LoggedSerialPort::close() {
  logPending();
  port_.close();
}

// Only what the port took is logged.
void LoggedSerialPort::write(std::string_view bytes) {
  logPending();
  port_.write(bytes);
  log(Direction::sent, bytes);
}

void LoggedSerialPort::received(std::string_view bytes) {
  for (const char c : bytes) {
    const bool end = c == kAck || c == kCarriageReturn;
    if (cutting_) {
      cutting_ = !end;
      continue;
    }
    pending_ += c;
    if (end || pending_.size() >= kMaxPending) {
      logPending();
      cutting_ = !end && cutLongReplies_;
    }
  }
  if (onReceived_) onReceived_(bytes);
}

void LoggedSerialPort::logPending() {
  if (pending_.empty()) return;
  log(Direction::received, pending_);
  pending_.clear();
}

void LoggedSerialPort::log(Direction direction, std::string_view bytes) {
  const std::string line =
      trafficLogLine(logTimestamp(std::chrono::system_clock::now()), direction, bytes) + '\n';
  std::size_t done = 0;
  ssize_t written = 0;
  while (done < line.size()) {
    written = ::write(file_, line.data() + done, line.size() - done);
    if (written > 0)
      done += static_cast<std::size_t>(written);
    else if (written == 0 || errno != EINTR)
      break;
  }
  if (done == line.size() || failed_) return;
  failed_ = true;
  const std::string reason = written < 0 ? std::strerror(errno) : "nothing more was taken";
  if (onLogFailed_) onLogFailed_("the log file " + path_ + " cannot be written: " + reason);
}

}  // namespace pv7100
