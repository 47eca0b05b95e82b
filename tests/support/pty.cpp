#include "tests/support/pty.h"

#include <array>
#include <cerrno>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <QCoreApplication>

namespace pv7100::testing {

namespace {

using Clock = std::chrono::steady_clock;

// Lets Qt run, then waits a little for `events` on `fd`; true when they came.
bool pumpAndPoll(int fd, short events) {
  QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  pollfd watched{fd, events, 0};
  return ::poll(&watched, 1, 5) > 0 && (watched.revents & events) != 0;
}

}  // namespace

Pty::Pty() {
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
  const auto deadline = Clock::now() + timeout;
  while (!bytes.empty() && master_ >= 0 && Clock::now() < deadline) {
    const ssize_t sent = ::write(master_, bytes.data(), bytes.size());
    if (sent > 0)
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    else if (sent < 0 && errno != EAGAIN && errno != EINTR)
      return false;
    else
      pumpAndPoll(master_, POLLOUT);
  }
  return bytes.empty();
}

std::string Pty::read(std::size_t count, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  std::string received;
  std::array<char, 4096> chunk{};
  while (received.size() < count && master_ >= 0 && Clock::now() < deadline) {
    if (!pumpAndPoll(master_, POLLIN)) continue;
    const ssize_t got =
        ::read(master_, chunk.data(), std::min(chunk.size(), count - received.size()));
    if (got > 0) received.append(chunk.data(), static_cast<std::size_t>(got));
  }
  return received;
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
