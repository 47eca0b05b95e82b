// pv7100d's config file reader on arbitrary text: parsed into entries, then applied as the
// daemon's settings.
//
// Input: the config file's text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "daemon/options.h"
#include "fuzz/require.h"

namespace {

using pv7100::fuzz::require;
using namespace pv7100::daemon;

std::string_view configText;

std::optional<std::string> readConfig(const std::string&) {
  return std::string(configText);
}

bool trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r";
  return text.empty() || (kBlanks.find(text.front()) == std::string_view::npos &&
                          kBlanks.find(text.back()) == std::string_view::npos);
}

bool holdsComment(std::string_view text) {
  for (std::size_t at = 1; at < text.size(); ++at) {
    if ((text[at] == '#' || text[at] == ';') && (text[at - 1] == ' ' || text[at - 1] == '\t'))
      return true;
  }
  return false;
}

void checkEntries(std::string_view text) {
  std::vector<ConfigEntry> entries;
  try {
    entries = parseConfig(text);
  } catch (const UsageError& error) {
    require(std::string_view(error.what()).starts_with("line "), "an error names its line");
    return;
  }
  const long lines = std::count(text.begin(), text.end(), '\n') + 1;
  std::set<std::string> keys;
  int previous = 0;
  for (const ConfigEntry& entry : entries) {
    require(!entry.key.empty(), "a key is never empty");
    require(entry.key.find('=') == std::string::npos, "a key holds no \"=\"");
    require(
        entry.key.find('\n') == std::string::npos && entry.value.find('\n') == std::string::npos,
        "a key or value holds no line feed");
    require(trimmed(entry.key) && trimmed(entry.value), "keys and values are trimmed");
    require(!holdsComment(entry.key) && !holdsComment(entry.value), "comments are cut off");
    require(entry.line > previous && entry.line <= lines, "entries come in the order of lines");
    require(keys.insert(entry.key).second, "a key is given once");
    previous = entry.line;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  configText = std::string_view(reinterpret_cast<const char*>(data), size);
  checkEntries(configText);
  try {
    const Options options = loadOptions({"--config", "fuzz.conf"}, readConfig);
    require(!options.core.port.empty(), "settings taken have a port");
    require(options.pjlink.listen.port >= 1 && options.pjlink.listen.port <= 65535,
            "the port is a TCP port");
    require(options.share.socket.starts_with('/') && options.share.socket.size() <= kMaxSocketPath,
            "the socket's path is absolute and fits a local socket's address");
  } catch (const UsageError&) {
  }
  return 0;
}
