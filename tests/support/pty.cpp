#include "tests/support/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <stdexcept>
#include <utility>

namespace pv7100::testing {
namespace {

using Clock = std::chrono::steady_clock;

// How long one poll lasts while something else runs between the polls.
constexpr int kSliceMs = 5;

// Waits until `deadline` for `events` on `fd`, running `whileWaiting` between short polls.
bool ready(int fd, short events, Clock::time_point deadline, const WhileWaiting& whileWaiting) {
  for (;;) {
    if (whileWaiting) whileWaiting();
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const int wait = static_cast<int>(std::max<long long>(left.count(), 0));
    pollfd watched{fd, events, 0};
    const int result = ::poll(&watched, 1, whileWaiting ? std::min(wait, kSliceMs) : wait);
    if (result > 0) return true;
    if (result < 0 && errno != EINTR) return false;
    if (wait == 0) return false;
  }
}

// Reads at most `limit` bytes, stopping early once `done` says so.
template <typename Done>
std::string readWhile(int fd, std::chrono::milliseconds timeout, std::size_t limit, Done done,
                      const WhileWaiting& whileWaiting) {
  const Clock::time_point deadline = Clock::now() + timeout;
  std::string bytes;
  while (bytes.size() < limit && !done(bytes) && ready(fd, POLLIN, deadline, whileWaiting)) {
    std::array<char, 4096> buffer{};
    const ssize_t count = ::read(fd, buffer.data(), std::min(buffer.size(), limit - bytes.size()));
    if (count > 0) {
      bytes.append(buffer.data(), static_cast<std::size_t>(count));
    } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
      break;
    }
  }
  return bytes;
}

}  // namespace

int openTerminal(const std::string& path) {
  return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

bool writeAll(int fd, std::string_view bytes, std::chrono::milliseconds timeout,
              const WhileWaiting& whileWaiting) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (!bytes.empty()) {
    if (fd < 0 || !ready(fd, POLLOUT, deadline, whileWaiting)) return false;
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(count));
    } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    }
  }
  return true;
}

std::string readUntil(int fd, char end, std::chrono::milliseconds timeout) {
  return readWhile(
      fd, timeout, std::string::npos,
      [end](const std::string& bytes) { return !bytes.empty() && bytes.back() == end; }, {});
}

std::string readUpTo(int fd, std::size_t count, std::chrono::milliseconds timeout,
                     const WhileWaiting& whileWaiting) {
  return readWhile(
      fd, timeout, count, [](const std::string&) { return false; }, whileWaiting);
}

Pty::Pty(WhileWaiting whileWaiting) : whileWaiting_(std::move(whileWaiting)) {
  termios raw{};
  ::cfmakeraw(&raw);
  ::cfsetspeed(&raw, B19200);
  std::array<char, 128> name{};
  if (::openpty(&master_, &slave_, name.data(), &raw, nullptr) != 0)
    throw std::runtime_error("openpty failed");
  slavePath_ = name.data();
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

Pty::~Pty() {
  closeMaster();
  ::close(slave_);
}

bool Pty::write(std::string_view bytes, std::chrono::milliseconds timeout) {
  return writeAll(master_, bytes, timeout, whileWaiting_);
}

std::string Pty::read(std::size_t count, std::chrono::milliseconds timeout) {
  if (master_ < 0) return {};
  return readUpTo(master_, count, timeout, whileWaiting_);
}

void Pty::closeMaster() {
  if (master_ >= 0) ::close(std::exchange(master_, -1));
}

termios Pty::attributes() const {
  termios settings{};
  if (::tcgetattr(slave_, &settings) != 0)
    throw std::runtime_error("tcgetattr on " + slavePath_ + " failed");
  return settings;
}

void Pty::setAttributes(const termios& settings) {
  if (::tcsetattr(slave_, TCSANOW, &settings) != 0)
    throw std::runtime_error("tcsetattr on " + slavePath_ + " failed");
}

int Pty::speed() const {
  constexpr std::array<std::pair<speed_t, int>, 9> speeds = {{
      {B1200, 1200},
      {B2400, 2400},
      {B4800, 4800},
      {B9600, 9600},
      {B19200, 19200},
      {B38400, 38400},
      {B57600, 57600},
      {B115200, 115200},
      {B230400, 230400},
  }};
  const termios settings = attributes();
  const speed_t code = ::cfgetospeed(&settings);
  for (const auto& [known, baud] : speeds) {
    if (known == code) return baud;
  }
  return 0;
}

}  // namespace pv7100::testing
