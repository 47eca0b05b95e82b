// Time on CLOCK_MONOTONIC, the clock that every party of a measurement reads: the thread that
// presses buttons, the thread at the far end of the line and the parent watching a child.
#pragma once

#include <cstdint>
#include <ctime>

namespace pv7100::bench {

inline std::int64_t monotonicNs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

inline double toMs(std::int64_t ns) {
  return static_cast<double>(ns) / 1e6;
}

}  // namespace pv7100::bench
