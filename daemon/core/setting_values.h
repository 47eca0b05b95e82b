// The parsers the settings' rows share, each with the bounds its caller gives. `shownAs` names
// the setting in messages as the user gave it: "--listen" on the command line, "listen" in the
// config file (whose name and line number go before it). Each throws UsageError.
#pragma once

#include <string>
#include <string_view>

#include "daemon/core/setting_row.h"

namespace pv7100::daemon {

// Text without the blanks (space, tab, CR) at either end.
std::string trimmed(std::string_view text);

int wholeNumber(const std::string& shownAs, const std::string& text, int low, int high);

// 1 to `most` printable ASCII characters.
std::string printableText(const std::string& shownAs, const std::string& text, std::size_t most);

bool yesNo(const std::string& shownAs, const std::string& value);

// A file's path, not empty.
std::string filePath(const std::string& shownAs, const std::string& value);

// Where a face listens: "ADDRESS:PORT", the address of IPv6 in brackets ("127.0.0.1:4352",
// "[::1]:4352"); an IPv4-mapped IPv6 address is the IPv4 address it maps, which the loopback
// rule then applies to: Qt cannot listen on one. `examplePort` is the port messages show.
struct ListenAddress {
  std::string host;
  int port = 0;
};
ListenAddress listenAddress(const std::string& shownAs, const std::string& value,
                            std::string_view examplePort);

}  // namespace pv7100::daemon
