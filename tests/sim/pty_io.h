// Reading and writing terminals from the tests; every wait is bounded.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace pv7100::sim::testing {

inline constexpr std::chrono::milliseconds kPatience{3000};

// Opens the terminal at `path` read-write and non-blocking, leaving its settings alone;
// -1 on failure.
int openTerminal(const std::string& path);

// Writes all of `bytes`, waiting at most kPatience for room.
bool writeAll(int fd, std::string_view bytes);

// Reads until what came ends with `end`, or `timeout` has passed; returns what came.
std::string readUntil(int fd, char end, std::chrono::milliseconds timeout = kPatience);

// Reads for `timeout`, stopping early once `count` bytes have come.
std::string readUpTo(int fd, std::size_t count, std::chrono::milliseconds timeout);

}  // namespace pv7100::sim::testing
