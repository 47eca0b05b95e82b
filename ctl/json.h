// The little JSON that pv7100ctl prints.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pv7100::ctl {

// `text` as a JSON string, quotes included; UTF-8 passes unchanged, and every byte that is
// not part of it is escaped as the character of its value (\xff as \u00ff).
std::string jsonString(std::string_view text);
// A JSON string, or null.
std::string jsonOrNull(const std::optional<std::string>& text);

}  // namespace pv7100::ctl
