#include "ctl/json.h"

#include <array>
#include <cstdio>

namespace pv7100::ctl {

std::string jsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20 || byte == 0x7f) {
      std::array<char, 8> escaped{};
      std::snprintf(escaped.data(), escaped.size(), "\\u%04x", byte);
      json += escaped.data();
    } else {
      json += c;
    }
  }
  return json + '"';
}

std::string jsonOrNull(const std::optional<std::string>& text) {
  return text ? jsonString(*text) : "null";
}

}  // namespace pv7100::ctl
