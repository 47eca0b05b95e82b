// The forms a port's name takes: "tcp:HOST:PORT" for a serial device server reached over
// TCP, "unix:PATH" for a local socket that carries a serial line (pv7100d's), anything else a
// serial device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pv7100 {

enum class PortKind { device, tcp, local };

inline constexpr std::string_view kTcpPrefix = "tcp:";
inline constexpr std::string_view kLocalPrefix = "unix:";

PortKind portKindOf(std::string_view name);

struct TcpAddress {
  std::string host;  // a name, an IPv4 address or an IPv6 address without its brackets
  std::uint16_t port = 0;
};

// The address in "tcp:HOST:PORT", where an IPv6 HOST stands in brackets ("tcp:[::1]:4001");
// nullopt when the name is not of that form.
std::optional<TcpAddress> tcpAddressOf(std::string_view name);

// The path in "unix:PATH".
std::string localPathOf(std::string_view name);

}  // namespace pv7100
