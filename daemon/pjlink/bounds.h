// What the PJLink face gives one client at most, and what it makes guessing the password cost.
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

// Wrong passwords from one address that cost nothing.
inline constexpr int kFreeTries = 3;
// What a try costs after them, doubled with each wrong one, up to kMaxGuessDelay: less than
// kIdleClose, so that a client waiting its turn alone is not closed as idle.
inline constexpr std::chrono::milliseconds kFirstGuessDelay{2000};
inline constexpr std::chrono::milliseconds kMaxGuessDelay{16'000};
// An address is forgotten this long after its last wrong password.
inline constexpr std::chrono::minutes kGuessMemory{10};
// Addresses remembered at once; beyond, the one quiet for longest is forgotten.
inline constexpr std::size_t kMaxGuessers = 1024;

}  // namespace pv7100::daemon
