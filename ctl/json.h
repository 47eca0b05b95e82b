// The little JSON that pv7100ctl prints.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pv7100::ctl {

// `text` as a JSON string, quotes included; bytes from 128 up pass unchanged (UTF-8).
std::string jsonString(std::string_view text);
// A JSON string, or null.
std::string jsonOrNull(const std::optional<std::string>& text);

}  // namespace pv7100::ctl
