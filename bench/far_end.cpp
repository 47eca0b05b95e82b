#include "bench/far_end.h"

#include <array>
#include <cstdint>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "bench/monotonic.h"

namespace pv7100::bench {

FarEnd::FarEnd(int masterFd)
    : master_(masterFd), stop_(::eventfd(0, EFD_CLOEXEC)), thread_([this] { run(); }) {}

FarEnd::~FarEnd() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(stop_, &one, sizeof one);
  thread_.join();
  ::close(stop_);
}

std::vector<StampedLine> FarEnd::lines() const {
  const std::lock_guard lock(mutex_);
  return lines_;
}

void FarEnd::run() {
  constexpr char kAck = '\x06';
  StampedLine partial;
  std::array<char, 4096> chunk{};
  for (;;) {
    std::array<pollfd, 2> watched{{{master_, POLLIN, 0}, {stop_, POLLIN, 0}}};
    if (::poll(watched.data(), watched.size(), -1) < 0) continue;
    if (watched[1].revents != 0) return;
    const ssize_t got = ::read(master_, chunk.data(), chunk.size());
    const std::int64_t now = monotonicNs();
    for (ssize_t i = 0; i < got; ++i) {
      if (partial.text.empty()) partial.firstByte = now;
      partial.text += chunk[static_cast<std::size_t>(i)];
      if (chunk[static_cast<std::size_t>(i)] != '\r') continue;
      partial.end = now;
      [[maybe_unused]] const ssize_t acked = ::write(master_, &kAck, 1);
      const std::lock_guard lock(mutex_);
      lines_.push_back(std::move(partial));
      partial = {};
    }
  }
}

}  // namespace pv7100::bench
