// A text as a JSON string, for the documents the faces write by hand: quotes and backslashes
// escaped, control bytes as \u escapes (a name or a reason may come from outside).
#pragma once

#include <string>
#include <string_view>

namespace pv7100::daemon {

std::string jsonString(std::string_view text);

}  // namespace pv7100::daemon
