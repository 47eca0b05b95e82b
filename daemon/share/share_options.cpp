#include "daemon/share/share_options.h"

#include <array>
#include <filesystem>

namespace pv7100::daemon {

std::string socketPath(const std::string& shownAs, const std::string& value) {
  if (value.empty()) throw UsageError(shownAs + " takes a path, such as /run/pv7100/hall.sock");
  std::error_code error;
  const std::string path = std::filesystem::absolute(value, error).lexically_normal().string();
  if (error) throw UsageError(shownAs + " " + value + ": " + error.message());
  if (path.size() > kMaxSocketPath)
    throw UsageError(shownAs + " " + path + " is " + std::to_string(path.size()) +
                     " bytes long; a local socket's path can be at most " +
                     std::to_string(kMaxSocketPath));
  return path;
}

namespace {

using O = ShareOptions;
using S = const std::string&;

constexpr std::array kRows{
    SettingRow<O>{"socket", true, "PATH",
                  "the local socket that shares the projector's line with the panel and "
                  "pv7100ctl (default /run/pv7100/NAME.sock, NAME the config file's name without "
                  ".conf), a path of at most 107 bytes; a socket there that no program serves is "
                  "taken over, anything else refused",
                  [](O& o, S shownAs, S value) { o.socket = socketPath(shownAs, value); }},
};

}  // namespace

std::span<const SettingRow<ShareOptions>> shareSettingRows() {
  return kRows;
}

}  // namespace pv7100::daemon
