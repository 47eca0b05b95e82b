#include "daemon/http/http_options.h"

#include <array>

namespace pv7100::daemon {
namespace {

// "projector.example.org, hall-a": names by which the web face is reached.
std::vector<std::string> hostNames(const std::string& shownAs, const std::string& value) {
  std::vector<std::string> names;
  std::string_view rest = value;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    names.push_back(printableText(shownAs, trimmed(rest.substr(0, comma)), 253));
    rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
  }
  return names;
}

using O = HttpOptions;
using S = const std::string&;

constexpr std::array kRows{
    SettingRow<O>{
        "http", true, "ADDR:PORT",
        "serve the remote page, the JSON API and the metrics there (such as "
        "127.0.0.1:8080); off by default. An address beyond loopback needs a password "
        "and HTTPS, or allow-open-network = yes",
        [](O& o, S shownAs, S value) { o.address = listenAddress(shownAs, value, "8080"); }},
    SettingRow<O>{"http-password-file", true, "FILE",
                  "the web page's password, the first line of FILE (at most 32 characters; "
                  "default: PJLink's password-file, if set)",
                  [](O& o, S, S value) { o.passwordFile = value; }},
    SettingRow<O>{"http-certificate", true, "FILE",
                  "HTTPS with this certificate (PEM), given with http-key",
                  [](O& o, S, S value) { o.certificate = value; }},
    SettingRow<O>{"http-key", true, "FILE",
                  "HTTPS with this key (PEM), given with http-certificate",
                  [](O& o, S, S value) { o.key = value; }},
    SettingRow<O>{"http-names", true, "NAME[,NAME]...",
                  "the names the page is reached by, besides IP addresses, localhost and this "
                  "machine's name; other Host headers are refused",
                  [](O& o, S shownAs, S value) { o.names = hostNames(shownAs, value); }},
};

}  // namespace

std::span<const SettingRow<HttpOptions>> httpSettingRows() {
  return kRows;
}

}  // namespace pv7100::daemon
