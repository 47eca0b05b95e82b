// The monitor rendering shared by the TXD and RXD lines: a leading space, then one token per
// character. Characters are bytes: received bytes map one to one to characters, so a byte
// above "z" (123 to 255) shows as "? " like every character the line cannot show.
#pragma once

#include <string>
#include <string_view>

namespace pv7100 {

std::string renderMonitor(std::string_view line);

// Appends the tokens of `chars` to a monitor text that already holds its leading space, so
// that a text can be rendered piece by piece as it arrives.
void appendMonitorTokens(std::string& monitor, std::string_view chars);

}  // namespace pv7100
