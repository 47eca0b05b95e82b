#include "pty_io.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace pv7100::sim::testing {
namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, never below 0.
int left(Clock::time_point deadline) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return ms.count() > 0 ? static_cast<int>(ms.count()) : 0;
}

// Waits for `events` on `fd` until `deadline`.
bool ready(int fd, short events, Clock::time_point deadline) {
  pollfd watched{fd, events, 0};
  for (;;) {
    const int result = poll(&watched, 1, left(deadline));
    if (result > 0) return true;
    if (result == 0 || errno != EINTR) return false;
  }
}

template <typename Done>
std::string readWhile(int fd, std::chrono::milliseconds timeout, Done done) {
  const Clock::time_point deadline = Clock::now() + timeout;
  std::string bytes;
  while (!done(bytes) && ready(fd, POLLIN, deadline)) {
    char buffer[256];
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count > 0) {
      bytes.append(buffer, static_cast<std::size_t>(count));
    } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
      break;
    }
  }
  return bytes;
}

}  // namespace

int openTerminal(const std::string& path) {
  return open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

bool writeAll(int fd, std::string_view bytes) {
  const Clock::time_point deadline = Clock::now() + kPatience;
  while (!bytes.empty()) {
    if (!ready(fd, POLLOUT, deadline)) return false;
    const ssize_t count = write(fd, bytes.data(), bytes.size());
    if (count > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(count));
    } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    }
  }
  return true;
}

std::string readUntil(int fd, char end, std::chrono::milliseconds timeout) {
  return readWhile(fd, timeout, [end](const std::string& bytes) {
    return !bytes.empty() && bytes.back() == end;
  });
}

std::string readUpTo(int fd, std::size_t count, std::chrono::milliseconds timeout) {
  return readWhile(fd, timeout,
                   [count](const std::string& bytes) { return bytes.size() >= count; });
}

}  // namespace pv7100::sim::testing
