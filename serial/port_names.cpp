#include "serial/port_names.h"

#include <charconv>

namespace pv7100 {

PortKind portKindOf(std::string_view name) {
  if (name.starts_with(kTcpPrefix)) return PortKind::tcp;
  if (name.starts_with(kLocalPrefix)) return PortKind::local;
  return PortKind::device;
}

std::optional<TcpAddress> tcpAddressOf(std::string_view name) {
  if (!name.starts_with(kTcpPrefix)) return std::nullopt;
  const std::string_view rest = name.substr(kTcpPrefix.size());
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view host = rest.substr(0, colon);
  const std::string_view port = rest.substr(colon + 1);
  if (host.starts_with('[') && host.ends_with(']')) {
    host = host.substr(1, host.size() - 2);
  } else if (host.find_first_of(":[]") != std::string_view::npos) {
    return std::nullopt;
  }
  unsigned value = 0;
  const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (host.empty() || error != std::errc{} || end != port.data() + port.size() || value == 0 ||
      value > 65535)
    return std::nullopt;
  return TcpAddress{std::string(host), static_cast<std::uint16_t>(value)};
}

std::string localPathOf(std::string_view name) {
  return std::string(name.substr(name.starts_with(kLocalPrefix) ? kLocalPrefix.size() : 0));
}

}  // namespace pv7100
