// What the PJLink face gives one client at most; what guessing the password costs is the core's
// (daemon/core/guesses.h), the same for every face.
// Pure C++, so that the request reader's fuzzer holds the reader to the same bounds.
#pragma once

#include <chrono>
#include <cstddef>

namespace pv7100::daemon {

// Clients connected at once unless `max-clients` says otherwise; more are refused.
inline constexpr int kDefaultMaxClients = 64;

// The longest request, its CR included.
inline constexpr std::size_t kMaxRequestLength = 136;
// The MD5 digest in hexadecimal that leads a client's first line when a password is set.
inline constexpr std::size_t kDigestLength = 32;
// The longest line kept, without its end: a request led by a digest.
inline constexpr std::size_t kMaxLineLength = kMaxRequestLength - 1 + kDigestLength;
// Requests read ahead of their answers; while this many wait, the rest stays in the socket.
inline constexpr std::size_t kMaxWaitingLines = 64;
// What Qt reads from the kernel ahead of the request reader.
inline constexpr long long kReadBufferSize = 4096;

// A request is complete this long after its first byte, or the connection is closed.
inline constexpr std::chrono::milliseconds kRequestDeadline{5000};
// As projectors do, a client that sends no complete request for this long is closed.
inline constexpr std::chrono::milliseconds kIdleClose{30'000};

}  // namespace pv7100::daemon
