// The little JSON that pv7100ctl prints.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "protocol/status_decoder.h"

namespace pv7100::ctl {

// `text` as a JSON string, quotes included; UTF-8 passes unchanged, and every byte that is
// not part of it is escaped as the character of its value (\xff as \u00ff).
std::string jsonString(std::string_view text);
// A JSON string, or null.
std::string jsonOrNull(const std::optional<std::string>& text);
// A decoded status value: a number, a state in words, the four temperatures as an array, or
// null.
std::string jsonValue(const StatusValue& value);

}  // namespace pv7100::ctl
