#include "ctl/json.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace pv7100::ctl {

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`, 0 when there is none.
std::size_t utf8Length(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = lead >= 0xf0 && lead <= 0xf4   ? 4
                             : lead >= 0xe0                 ? 3
                             : lead >= 0xc2 && lead <= 0xdf ? 2
                                                            : 0;
  if (length == 0 || text.size() < length) return 0;
  // No overlong forms, no surrogates, nothing beyond U+10FFFF.
  const auto second = static_cast<unsigned char>(text[1]);
  if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second > 0x9f) ||
      (lead == 0xf0 && second < 0x90) || (lead == 0xf4 && second > 0x8f))
    return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xc0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string jsonString(std::string_view text) {
  std::string json = "\"";
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    const auto byte = static_cast<unsigned char>(c);
    const std::size_t sequence = byte >= 0x80 ? utf8Length(text.substr(at)) : 0;
    if (sequence > 0) {
      json += text.substr(at, sequence);
      at += sequence - 1;
    } else if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20 || byte >= 0x7f) {
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

namespace {

std::string jsonNumber(double number) {
  std::array<char, 32> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
  return std::string(digits.data(), end);
}

struct ValueJson {
  std::string operator()(std::monostate) const { return "null"; }
  std::string operator()(OperatingState state) const { return jsonString(stateWord(state)); }
  std::string operator()(LampMode mode) const { return jsonString(stateWord(mode)); }
  std::string operator()(Reversal reversal) const { return jsonString(stateWord(reversal)); }
  std::string operator()(LampHours lamp) const { return std::to_string(lamp.hours); }
  std::string operator()(PressureHpa pressure) const { return std::to_string(pressure.hpa); }
  std::string operator()(const Temperatures& sensors) const {
    std::string json = "[";
    for (const double celsius : sensors.celsius)
      json += (json.size() > 1 ? ", " : "") + jsonNumber(celsius);
    return json + "]";
  }
};

}  // namespace

std::string jsonValue(const StatusValue& value) {
  return std::visit(ValueJson{}, value);
}

}  // namespace pv7100::ctl
