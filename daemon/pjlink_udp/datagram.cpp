#include "daemon/pjlink_udp/datagram.h"

namespace pv7100::daemon {

DatagramKind readDatagram(std::string_view bytes) {
  if (bytes.ends_with("\r\n"))
    bytes.remove_suffix(2);
  else if (bytes.ends_with('\r') || bytes.ends_with('\n'))
    bytes.remove_suffix(1);
  constexpr std::string_view kSearch = "%2SRCH";
  if (bytes.size() > kSearch.size() && bytes.starts_with("%2") && bytes[kSearch.size()] == '=')
    return DatagramKind::fromProjector;
  if (bytes.size() != kSearch.size()) return DatagramKind::other;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != kSearch[i])
      return DatagramKind::other;
  }
  return DatagramKind::search;
}

std::string datagramText(std::string_view command, std::string_view value) {
  return "%2" + std::string(command) + "=" + std::string(value) + "\r";
}

}  // namespace pv7100::daemon
