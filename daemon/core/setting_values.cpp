#include "daemon/core/setting_values.h"

#include <charconv>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>

namespace pv7100::daemon {

std::string trimmed(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t\r");
  return std::string(text.substr(begin, end - begin + 1));
}

int wholeNumber(const std::string& shownAs, const std::string& text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < low || value > high)
    throw UsageError(shownAs + " takes a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + text + "\"");
  return value;
}

std::string printableText(const std::string& shownAs, const std::string& text, std::size_t most) {
  if (text.empty() || text.size() > most)
    throw UsageError(shownAs + " takes 1 to " + std::to_string(most) + " characters");
  for (const char c : text) {
    if (c < ' ' || c > '~') throw UsageError(shownAs + " takes printable ASCII characters only");
  }
  return text;
}

bool yesNo(const std::string& shownAs, const std::string& value) {
  if (value != "yes" && value != "no")
    throw UsageError(shownAs + " takes yes or no, not \"" + value + "\"");
  return value == "yes";
}

std::string filePath(const std::string& shownAs, const std::string& value) {
  if (value.empty()) throw UsageError(shownAs + " takes a file");
  return value;
}

namespace {

std::string ipAddress(const std::string& shownAs, const std::string& host) {
  const bool whole = host.find('\0') == std::string::npos;  // c_str() would cut it short
  in_addr v4{};
  if (whole && ::inet_pton(AF_INET, host.c_str(), &v4) == 1) return host;
  in6_addr v6{};
  const std::string bare = host.substr(0, host.find('%'));  // without a scope: "fe80::1%eth0"
  if (!whole || ::inet_pton(AF_INET6, bare.c_str(), &v6) != 1)
    throw UsageError(shownAs + ": \"" + host + "\" is not an IP address");
  if (!IN6_IS_ADDR_V4MAPPED(&v6)) return host;
  std::memcpy(&v4, &v6.s6_addr[12], sizeof v4);
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &v4, text, sizeof text);
  return text;
}

}  // namespace

ListenAddress listenAddress(const std::string& shownAs, const std::string& value,
                            std::string_view examplePort) {
  const std::string example(examplePort);
  const std::size_t colon = value.rfind(':');
  std::string host = colon == std::string::npos ? "" : value.substr(0, colon);
  const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
  if (bracketed) host = host.substr(1, host.size() - 2);
  if (host.empty())
    throw UsageError(shownAs + " takes ADDRESS:PORT, such as 127.0.0.1:" + example +
                     " or [::1]:" + example + ", not \"" + value + "\"");
  if (!bracketed && host.find(':') != std::string::npos)
    throw UsageError(shownAs + ": an IPv6 address goes in brackets, as in [::1]:" + example +
                     ", not \"" + value + "\"");
  return {ipAddress(shownAs, host),
          wholeNumber(shownAs + ": the port", value.substr(colon + 1), 1, 65535)};
}

}  // namespace pv7100::daemon
