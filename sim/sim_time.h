// Time in the simulator: milliseconds on a monotonic clock that the caller reads and passes in.
#pragma once

#include <cstdint>

namespace pv7100::sim {

using Millis = std::int64_t;

}  // namespace pv7100::sim
